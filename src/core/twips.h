#pragma once

#include <QRect>
#include <QRectF>

// One twip is 1/1440 inch. Layouts are written in twips and converted here.
namespace gravik::twips {

constexpr double perInch = 1440.0;

inline double toDevice(double twips, double dpi) { return twips * dpi / perInch; }
inline int toPixels(double twips, double dpi) { return qRound(toDevice(twips, dpi)); }
inline double fromDevice(double px, double dpi) { return px * perInch / dpi; }

// The primary screen's logical DPI (96 gives 15 twips a pixel).
double screenDpiX();
double screenDpiY();

// A twip rectangle in screen pixels.
QRect toScreen(int left, int top, int width, int height);

} // namespace gravik::twips
