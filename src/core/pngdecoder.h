#pragma once

#include <QByteArray>
#include <QImage>

namespace gravik::png {

// Decodes the PNGs scanners write (8 bits a channel; grey, RGB or RGBA; not
// interlaced; no transparency chunk) about twice as fast as QImageReader, to
// the same pixels, format and resolution. A null image for any other PNG and
// for a damaged one: QImageReader then reads it and names what is wrong.
QImage decodeCommon(const QByteArray &bytes);

} // namespace gravik::png
