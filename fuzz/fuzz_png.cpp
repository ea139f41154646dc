// Any bytes through the fast PNG path, checked against QImageReader: what the
// fast path decodes must be what the reader decodes. An input whose first
// byte is even is a file, its chunk checksums set right so the mutations
// reach past them; an odd one is the rows of a small picture (filter bytes
// and all), compressed here into a PNG, so the row filters are reached too.
#include "core/pngdecoder.h"

#include <QImage>
#include <QtEndian>

#include <libdeflate.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace gravik;

namespace {

QByteArray be32(quint32 v)
{
    QByteArray out(4, '\0');
    qToBigEndian(v, out.data());
    return out;
}

QByteArray chunk(const QByteArray &type, const QByteArray &body)
{
    const QByteArray typed = type + body;
    return be32(quint32(body.size())) + typed
           + be32(quint32(libdeflate_crc32(0, typed.constData(), size_t(typed.size()))));
}

void fixChecksums(QByteArray &bytes)
{
    for (qsizetype at = 8; at + 12 <= bytes.size();) {
        const quint32 len = qFromBigEndian<quint32>(bytes.constData() + at);
        if (len > quint64(bytes.size() - at - 12))
            break;
        const auto *typeAndBody = reinterpret_cast<const uchar *>(bytes.constData() + at + 4);
        qToBigEndian(quint32(libdeflate_crc32(0, typeAndBody, len + 4)), bytes.data() + at + 8 + len);
        at += 12 + qsizetype(len);
    }
}

// data: width-1, height-1, colour type choice, then the rows as stored.
QByteArray pictureOf(const uint8_t *data, size_t size)
{
    if (size < 3)
        return {};
    const int width = data[0] % 32 + 1, height = data[1] % 32 + 1;
    static constexpr uint8_t colourTypes[] = {0, 2, 6}; // grey, RGB, RGBA
    const uint8_t colourType = colourTypes[data[2] % 3];
    const int channels = colourType == 0 ? 1 : colourType == 2 ? 3 : 4;
    QByteArray rows(reinterpret_cast<const char *>(data + 3), qsizetype(size - 3));
    rows.resize(qsizetype(height) * (width * channels + 1), '\0');
    const std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor *)> deflater(
        libdeflate_alloc_compressor(6), libdeflate_free_compressor);
    QByteArray z(qsizetype(libdeflate_zlib_compress_bound(deflater.get(), size_t(rows.size()))), '\0');
    z.resize(qsizetype(libdeflate_zlib_compress(deflater.get(), rows.constData(), size_t(rows.size()), z.data(),
                                                size_t(z.size()))));
    const QByteArray ihdr = be32(quint32(width)) + be32(quint32(height)) + char(8) + char(colourType) + QByteArray(3, '\0');
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", z) + chunk("IEND", {});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    QByteArray bytes;
    if (data[0] % 2 == 0) {
        bytes = QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
        fixChecksums(bytes);
    } else {
        bytes = pictureOf(data + 1, size - 1);
    }
    const QImage fast = png::decodeCommon(bytes);
    if (fast.isNull())
        return 0;
    const QImage reader = QImage::fromData(bytes, "png");
    if (fast != reader || fast.dotsPerMeterX() != reader.dotsPerMeterX()
        || fast.dotsPerMeterY() != reader.dotsPerMeterY())
        std::abort();
    return 0;
}
