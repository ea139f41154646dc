#include "widgets/imagebutton.h"

#include "core/twips.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

namespace gravik {

QPixmap renderIcon(const QString &resourcePath, const QSize &size, qreal dpr)
{
    const QString key = QStringLiteral("%1@%2x%3@%4")
                            .arg(resourcePath).arg(size.width()).arg(size.height()).arg(dpr);
    QPixmap pm;
    if (QPixmapCache::find(key, &pm))
        return pm;
    pm = QPixmap(size * dpr);
    pm.fill(Qt::transparent);
    QSvgRenderer svg(resourcePath);
    if (svg.isValid()) {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        svg.render(&p);
    }
    pm.setDevicePixelRatio(dpr);
    QPixmapCache::insert(key, pm);
    return pm;
}

ImageButton::ImageButton(const QString &objectName, const QString &icon, QWidget *parent)
    : QAbstractButton(parent), m_icon(icon)
{
    setObjectName(objectName);
    setFocusPolicy(Qt::NoFocus);
    const QRect r = twips::toScreen(0, 0, SizeTwips, SizeTwips);
    setFixedSize(r.size());
    setCursor(Qt::PointingHandCursor);
}

void ImageButton::placeAt(int leftTwips, int topTwips)
{
    move(twips::toScreen(leftTwips, topTwips, 0, 0).topLeft());
}

void ImageButton::showNormalPicture()
{
    if (m_highlighted) {
        m_highlighted = false;
        update();
    }
}

void ImageButton::showHighlightedPicture()
{
    if (!m_highlighted) {
        m_highlighted = true;
        update();
    }
}

void ImageButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QString path = QStringLiteral(":/icons/%1%2.svg").arg(m_icon, m_highlighted ? "-hl" : "");
    p.drawPixmap(0, 0, renderIcon(path, size(), devicePixelRatioF()));
}

void ImageButton::mousePressEvent(QMouseEvent *e)
{
    QAbstractButton::mousePressEvent(e);
    if (e->button() == Qt::LeftButton)
        showNormalPicture();
}

} // namespace gravik
