#include "core/pagelayout.h"

#include "core/twips.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace gravik::page {

QRectF boxTwips(const CertificateField &f, double x, double y, double textWidthTwips,
                double lineHeightTwips)
{
    const double h = std::max<double>(f.height, lineHeightTwips);
    if (f.box == CertificateField::Box::Centred)
        return QRectF(x, y, f.width, h);
    return QRectF(x, y, textWidthTwips, h);
}

int textFlags(const CertificateField &f)
{
    const int h = f.box == CertificateField::Box::Centred ? Qt::AlignHCenter : Qt::AlignLeft;
    return h | Qt::AlignTop | Qt::TextSingleLine;
}

QString shownText(const CertificateField &f, const QString &text)
{
    constexpr qsizetype a4LongSideTwips = 16838;
    const qsizetype most = f.box == CertificateField::Box::Centred ? qsizetype(f.width) + 1 : a4LongSideTwips + 1;
    return text.size() <= most ? text : text.first(most);
}

void drawFieldText(QPainter &p, const QRectF &box, const CertificateField &f, const QString &whole,
                   const QFont &font, const QColor &color)
{
    if (whole.isEmpty())
        return;
    const QString text = shownText(f, whole);
    p.save();
    p.setFont(font);
    p.setPen(color);
    const bool centred = f.box == CertificateField::Box::Centred;
    if (centred)
        p.setClipRect(box, Qt::IntersectClip);
    // A fitted box may be a hair narrower than the text on another device's
    // metrics; let it run on to the right rather than clip.
    p.drawText(box, textFlags(f) | (centred ? 0 : int(Qt::TextDontClip)), text);
    p.restore();
}

QRectF deviceBox(QPainter &p, const FieldContent &c, double dpiX, double dpiY)
{
    const CertificateField &f = certificateField(c.number);
    const QFontMetricsF fm(c.font, p.device());
    const double wTw = twips::fromDevice(fm.horizontalAdvance(shownText(f, c.text)), dpiX);
    const double hTw = twips::fromDevice(fm.height(), dpiY);
    const QRectF t = boxTwips(f, c.xTwips, c.yTwips, wTw, hTw);
    return QRectF(twips::toDevice(t.left(), dpiX), twips::toDevice(t.top(), dpiY),
                  twips::toDevice(t.width(), dpiX), twips::toDevice(t.height(), dpiY));
}

} // namespace gravik::page
