#include "widgets/imagebutton.h"

namespace gravik {

// Without Qt Svg (the Windows build) the icons come as pictures made from the
// same SVG files at build time, at one and two times their size; the larger
// is scaled to what the screen needs.
QPixmap iconPicture(const QString &resourcePath, const QSize &pixels)
{
    QString base = resourcePath;
    base.chop(4); // ".svg"
    QPixmap picture(base + QStringLiteral("@2x.png"));
    if (picture.isNull())
        picture.load(base + QStringLiteral(".png"));
    if (!picture.isNull())
        return picture.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPixmap empty(pixels);
    empty.fill(Qt::transparent);
    return empty;
}

} // namespace gravik
