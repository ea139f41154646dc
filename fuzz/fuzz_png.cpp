// Any bytes through the fast PNG path, checked against QImageReader: what the
// fast path decodes must be what the reader decodes. Chunk checksums are set
// right first, so the mutations reach past them.
#include "core/pngdecoder.h"

#include <QImage>
#include <QtEndian>

#include <libdeflate.h>

#include <cstdint>
#include <cstdlib>

using namespace gravik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (qsizetype at = 8; at + 12 <= bytes.size();) {
        const quint32 len = qFromBigEndian<quint32>(bytes.constData() + at);
        if (len > quint64(bytes.size() - at - 12))
            break;
        const auto *typeAndBody = reinterpret_cast<const uchar *>(bytes.constData() + at + 4);
        qToBigEndian(quint32(libdeflate_crc32(0, typeAndBody, len + 4)), bytes.data() + at + 8 + len);
        at += 12 + qsizetype(len);
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
