#include "widgets/imagebutton.h"

#include <QPixmapCache>

namespace gravik {

// Without Qt Svg (the Windows build) the icons come as pictures made from the
// same SVG files at build time, at one and two times their size; the larger
// is scaled to what the screen needs.
QPixmap renderIcon(const QString &resourcePath, const QSize &size, qreal dpr)
{
    const QString key = QStringLiteral("%1@%2x%3@%4")
                            .arg(resourcePath).arg(size.width()).arg(size.height()).arg(dpr);
    QPixmap pm;
    if (QPixmapCache::find(key, &pm))
        return pm;
    QString base = resourcePath;
    base.chop(4); // ".svg"
    QPixmap picture(base + QStringLiteral("@2x.png"));
    if (picture.isNull())
        picture.load(base + QStringLiteral(".png"));
    if (picture.isNull()) {
        pm = QPixmap(size * dpr);
        pm.fill(Qt::transparent);
    } else {
        pm = picture.scaled(size * dpr, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    pm.setDevicePixelRatio(dpr);
    QPixmapCache::insert(key, pm);
    return pm;
}

} // namespace gravik
