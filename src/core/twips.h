#pragma once

#include <QRect>
#include <QRectF>

#include <algorithm>

// One twip is 1/1440 inch. Layouts are written in twips and converted here.
namespace gravik::twips {

constexpr double perInch = 1440.0;

// The farthest a device position may lie: a hand-edited file can name any
// number, a widget or painter holds only so much, and a conversion past int
// is undefined. Positions beyond are brought to this bound.
constexpr double maxDevice = 1 << 24;

inline double toDevice(double twips, double dpi) { return twips * dpi / perInch; }
inline int toPixels(double twips, double dpi)
{
    const double d = toDevice(twips, dpi);
    return d != d ? 0 : qRound(std::clamp(d, -maxDevice, maxDevice)); // d != d: not a number
}
inline double fromDevice(double px, double dpi) { return px * perInch / dpi; }

// The primary screen's logical DPI (96 gives 15 twips a pixel).
double screenDpiX();
double screenDpiY();

// A twip rectangle in screen pixels.
QRect toScreen(int left, int top, int width, int height);

} // namespace gravik::twips
