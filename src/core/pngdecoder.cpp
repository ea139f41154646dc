#include "core/pngdecoder.h"

#include <QtEndian>

#include <libdeflate.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

namespace gravik::png {

namespace {

// QImageReader's own limit: larger pictures are left for it to refuse.
constexpr quint64 maxImageBytes = 256ull << 20;

quint32 be32(const uchar *p) { return qFromBigEndian<quint32>(p); }

bool named(const uchar *type, const char *name) { return std::memcmp(type, name, 4) == 0; }

bool letters(const uchar *type)
{
    return std::all_of(type, type + 4, [](uchar c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; });
}

struct Header {
    quint32 width = 0, height = 0;
    int channels = 0; // 1 grey, 3 RGB, 4 RGBA
    int dotsPerMeterX = 0, dotsPerMeterY = 0;
};

// The chunks checked and the image data joined into one zlib stream.
bool readChunks(const QByteArray &bytes, Header *h, QByteArray *stream)
{
    static const char signature[] = "\x89PNG\r\n\x1a\n";
    if (bytes.size() < 8 || std::memcmp(bytes.constData(), signature, 8) != 0)
        return false;
    stream->reserve(bytes.size()); // one allocation, not one a chunk
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const quint64 size = quint64(bytes.size());
    quint64 at = 8;
    bool header = false, resolution = false;
    enum { Before, In, After } data = Before; // the image data, one run of IDAT chunks
    while (at + 12 <= size) {
        const quint32 len = be32(p + at);
        const uchar *type = p + at + 4, *body = p + at + 8;
        if (len > size - at - 12 || !letters(type) || be32(body + len) != libdeflate_crc32(0, type, len + 4))
            return false;
        const bool idat = named(type, "IDAT");
        if (!header) {
            // IHDR first: 8-bit grey (0), RGB (2) or RGBA (6), standard methods, not interlaced.
            if (!named(type, "IHDR") || len != 13 || body[8] != 8 || body[10] || body[11] || body[12])
                return false;
            h->width = be32(body);
            h->height = be32(body + 4);
            h->channels = body[9] == 0 ? 1 : body[9] == 2 ? 3 : body[9] == 6 ? 4 : 0;
            if (!h->channels || !h->width || !h->height || h->width > 0x7fffffff || h->height > 0x7fffffff
                || quint64(h->width) * h->height * 4 > maxImageBytes)
                return false;
            header = true;
        } else if (idat) {
            if (data == After)
                return false;
            data = In;
            stream->append(reinterpret_cast<const char *>(body), len);
        } else if (named(type, "IEND")) {
            return !stream->isEmpty();
        } else if (named(type, "pHYs")) {
            // The first one before the image data counts; others are ignored, as libpng does.
            if (len == 9 && data == Before && !resolution && body[8] == 1) { // dots a metre
                h->dotsPerMeterX = int(be32(body)); // as Qt takes it, wrapping past 2^31
                h->dotsPerMeterY = int(be32(body + 4));
            }
            resolution = resolution || data == Before;
        } else if (named(type, "tRNS") || named(type, "eXIf") || !(type[0] & 0x20)) {
            // Transparency, a turned picture or a critical chunk (a palette too).
            return false;
        }
        if (!idat && data == In)
            data = After;
        at += 12 + quint64(len);
    }
    return false; // no IEND
}

// Maps the whole pages of [p, p + n) for writing without writing to them, so
// another thread may be writing there meanwhile. False where the system
// cannot (Linux before 5.14).
bool populate(void *p, size_t n)
{
#if defined(MADV_POPULATE_WRITE)
    const auto page = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t from = (uintptr_t(p) + page - 1) & ~(page - 1), to = (uintptr_t(p) + n) & ~(page - 1);
    return to <= from || madvise(reinterpret_cast<void *>(from), to - from, MADV_POPULATE_WRITE) == 0;
#else
    Q_UNUSED(p);
    Q_UNUSED(n);
    return false;
#endif
}

inline int paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// One row's filter undone in place (prior is the row above, unfiltered) and its
// pixels written out in the same pass. The pixel to the left stays in
// registers, so no byte waits on the store of the one before it.
template <int Bpp, int Filter>
void unfilterRow(uchar *row, const uchar *prior, quint32 pixels, uchar *out)
{
    int a[Bpp] = {}, c[Bpp] = {};
    for (quint32 x = 0; x < pixels; ++x) {
        uchar *s = row + size_t(x) * Bpp;
        const uchar *b = prior + size_t(x) * Bpp;
#pragma GCC unroll 4
        for (int k = 0; k < Bpp; ++k) {
            int v = s[k];
            if constexpr (Filter == 1)
                v += a[k];
            else if constexpr (Filter == 2)
                v += b[k];
            else if constexpr (Filter == 3)
                v += (a[k] + b[k]) >> 1;
            else if constexpr (Filter == 4)
                v += paeth(a[k], b[k], c[k]), c[k] = b[k];
            a[k] = v & 0xff;
            s[k] = uchar(v);
        }
        if constexpr (Bpp == 1)
            out[x] = uchar(a[0]);
        else
            reinterpret_cast<quint32 *>(out)[x] =
                quint32(Bpp == 4 ? a[3] : 0xff) << 24 | quint32(a[0]) << 16 | quint32(a[1]) << 8 | quint32(a[2]);
    }
}

template <int Bpp>
bool unfilterInto(QImage &image, uchar *raw, size_t rowBytes)
{
    const std::vector<uchar> zeros(rowBytes);
    const uchar *prior = zeros.data();
    const quint32 width = quint32(image.width());
    for (int y = 0, h = image.height(); y < h; ++y) {
        uchar *row = raw + size_t(y) * (rowBytes + 1);
        uchar *out = image.scanLine(y);
        switch (row[0]) {
        case 0: unfilterRow<Bpp, 0>(row + 1, prior, width, out); break;
        case 1: unfilterRow<Bpp, 1>(row + 1, prior, width, out); break;
        case 2: unfilterRow<Bpp, 2>(row + 1, prior, width, out); break;
        case 3: unfilterRow<Bpp, 3>(row + 1, prior, width, out); break;
        case 4: unfilterRow<Bpp, 4>(row + 1, prior, width, out); break;
        default: return false;
        }
        prior = row + 1;
    }
    return true;
}

} // namespace

QImage decodeCommon(const QByteArray &bytes)
{
    Header h;
    QByteArray stream;
    if (!readChunks(bytes, &h, &stream))
        return {};
    const size_t rowBytes = size_t(h.width) * h.channels;
    // Deflate packs at most 1032 bytes into one: a header naming more rows
    // than its data can hold is refused before anything is allocated.
    if ((rowBytes + 1) * h.height / 1032 > size_t(stream.size()))
        return {};
    std::unique_ptr<uchar[]> raw(new (std::nothrow) uchar[(rowBytes + 1) * h.height]);
    if (!raw)
        return {};
    QImage image(int(h.width), int(h.height),
                 h.channels == 1 ? QImage::Format_Grayscale8
                 : h.channels == 3 ? QImage::Format_RGB32
                                   : QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    // Fresh memory costs a page fault a page, as much as the inflating itself
    // for a scan: the other core takes the pages meanwhile, the picture's and
    // the second half of the inflated rows' (those the inflating reaches last).
    uchar *const bits = image.bits();
    const size_t rawBytes = (rowBytes + 1) * h.height;
    auto take = [bits, n = size_t(image.sizeInBytes()), rest = raw.get() + rawBytes / 2, restBytes = rawBytes - rawBytes / 2] {
        populate(rest, restBytes);
        if (!populate(bits, n))
            for (size_t at = 0; at < n; at += 4096)
                bits[at] = 0;
    };
    std::thread taker;
    try {
        taker = std::thread(take);
    } catch (const std::system_error &) {
        take(); // no thread to be had: the pages are taken here, first
    }
    const std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor *)> inflater(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    // Exactly the rows the header names, neither short nor long.
    const bool inflated = inflater
                          && libdeflate_zlib_decompress(inflater.get(), stream.constData(), size_t(stream.size()),
                                                        raw.get(), rawBytes, nullptr)
                                 == LIBDEFLATE_SUCCESS;
    if (taker.joinable())
        taker.join();
    if (!inflated)
        return {};
    const bool ok = h.channels == 1   ? unfilterInto<1>(image, raw.get(), rowBytes)
                    : h.channels == 3 ? unfilterInto<3>(image, raw.get(), rowBytes)
                                      : unfilterInto<4>(image, raw.get(), rowBytes);
    if (!ok)
        return {};
    if (h.dotsPerMeterX)
        image.setDotsPerMeterX(h.dotsPerMeterX);
    if (h.dotsPerMeterY)
        image.setDotsPerMeterY(h.dotsPerMeterY);
    return image;
}

} // namespace gravik::png
