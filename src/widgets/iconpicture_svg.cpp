#include "widgets/imagebutton.h"

#include <QPainter>
#include <QSvgRenderer>

namespace gravik {

QPixmap iconPicture(const QString &resourcePath, const QSize &pixels)
{
    QPixmap pm(pixels);
    pm.fill(Qt::transparent);
    QSvgRenderer svg(resourcePath);
    if (svg.isValid()) {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        svg.render(&p);
    }
    return pm;
}

} // namespace gravik
