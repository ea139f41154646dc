#include "core/twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace gravik::twips {

double screenDpiX()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}

double screenDpiY()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchY() : 96.0;
}

QRect toScreen(int left, int top, int width, int height)
{
    const double dx = screenDpiX(), dy = screenDpiY();
    return QRect(toPixels(left, dx), toPixels(top, dy), toPixels(width, dx), toPixels(height, dy));
}

} // namespace gravik::twips
