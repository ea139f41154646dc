#pragma once

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QtEndian>

#include <zlib.h>

// Pictures a scanner could write and files made to hurt a reader, built in
// memory so no large file sits in the repository.
namespace crafted {

// An A4 scan naming dpi (RGB: paper with grain, a frame and rules), at 300 dpi's
// pixel count whatever it names, as a scanner with a wrong setting writes it.
inline QImage a4Scan(double dpi)
{
    QImage img(2480, 3508, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 29); // 0..7
            line[x] = qRgb(246 + grain, 243 + grain, 232 + grain);
        }
    }
    QPainter p(&img);
    p.setPen(QPen(QColor(40, 70, 140), 6));
    p.drawRect(120, 120, 2240, 3268);
    for (int y = 600; y < 3300; y += 150)
        p.drawLine(240, y, 2240, y);
    p.end();
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    return img;
}

inline QByteArray encoded(const QImage &img, const char *format)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    img.save(&b, format);
    return out;
}

inline QByteArray pngChunk(const char *type, const QByteArray &data)
{
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), out.data());
    out += QByteArray(type, 4) + data;
    const quint32 crc = quint32(crc32(crc32(0, reinterpret_cast<const Bytef *>(type), 4),
                                      reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
    QByteArray tail(4, '\0');
    qToBigEndian<quint32>(crc, tail.data());
    return out + tail;
}

// Raw deflate data of bytes, ending on a byte boundary and not final, so
// such pieces follow one another in one stream.
inline QByteArray deflated(const QByteArray &bytes)
{
    z_stream z = {};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    z.avail_in = uInt(bytes.size());
    QByteArray out(qsizetype(deflateBound(&z, uLong(bytes.size()))) + 16, '\0');
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_SYNC_FLUSH);
    out.truncate(out.size() - qsizetype(z.avail_out));
    deflateEnd(&z);
    return out;
}

inline QByteArray bigEndian32(quint32 v)
{
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(v, out.data());
    return out;
}

// An 8-bit grey PNG with the given compressed data.
inline QByteArray greyPng(int width, int height, const QByteArray &zlibData)
{
    QByteArray header = bigEndian32(quint32(width)) + bigEndian32(quint32(height)) + QByteArray(5, '\0');
    header[8] = 8; // bits; colour type 0: grey
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", zlibData) +
           pngChunk("IEND", {});
}

// A grey PNG of width x height whose rows are followed, inside the same
// compressed stream, by extraBytes of zeros (a multiple of 16 MiB): a small
// file that inflates far beyond what its rows need. The zeros are one
// compressed piece repeated, so even gigabytes are made at once.
inline QByteArray inflatingPng(int width, int height, qint64 extraBytes)
{
    QByteArray row(1 + width, char(0xe0));
    row[0] = 0; // no filter
    const QByteArray rows = row.repeated(height);
    const QByteArray zeros(16 << 20, '\0');
    const QByteArray zerosPacked = deflated(zeros);
    const qint64 pieces = extraBytes / zeros.size();
    uLong check = adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef *>(rows.constData()), uInt(rows.size()));
    const uLong zerosCheck = adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef *>(zeros.constData()), uInt(zeros.size()));
    for (qint64 i = 0; i < pieces; ++i)
        check = adler32_combine(check, zerosCheck, zeros.size());
    const QByteArray stream = QByteArray("\x78\xda", 2) + deflated(rows) + zerosPacked.repeated(pieces) +
                              QByteArray("\x03\x00", 2) /* an empty last block */ + bigEndian32(quint32(check));
    return greyPng(width, height, stream);
}

// A small grey PNG whose header claims width x height.
inline QByteArray pngClaiming(int width, int height)
{
    return greyPng(width, height, QByteArray("\x78\xda", 2) + deflated(QByteArray(2, '\0')) + QByteArray("\x03\x00", 2) +
                                      bigEndian32(quint32(adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef *>("\0\0"), 2))));
}

} // namespace crafted
