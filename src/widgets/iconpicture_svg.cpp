#include "widgets/imagebutton.h"

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

} // namespace gravik
