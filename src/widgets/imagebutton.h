#pragma once

#include <QAbstractButton>
#include <QKeySequence>
#include <QList>
#include <QPixmap>
#include <QString>

namespace gravik {

// A 525 x 525-twip picture that acts as a push button. It shows its normal
// picture (green icon on light blue) or its highlighted one (white and grey);
// which one is decided by the window's hover table. Pressing shows normal;
// the click fires on release over the button. The keyboard reaches it with
// Tab (a click does not take the focus); Space and Return press it.
class ImageButton : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int SizeTwips = 525;

    // icon: the base name of a picture pair in the resources,
    // ":/icons/<icon>.svg" and ":/icons/<icon>-hl.svg".
    ImageButton(const QString &objectName, const QString &icon, QWidget *parent);

    void showNormalPicture();
    void showHighlightedPicture();
    bool highlighted() const { return m_highlighted; }
    const QString &icon() const { return m_icon; }

    // Places the button at a twip position of its parent.
    void placeAt(int leftTwips, int topTwips);

    // Keys that press the button from anywhere in its window. The first is
    // named after the tooltip, which stays the translation table's own text.
    void setShortcuts(const QList<QKeySequence> &keys);
    QString shortcutText() const;
    QString toolTipShown() const;

protected:
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    QString m_icon;
    bool m_highlighted = false;
    QKeySequence m_named;
};

// Renders an icon pair's picture at a pixel size (used by the button and by
// windows that show an icon on their own).
QPixmap renderIcon(const QString &resourcePath, const QSize &size, qreal devicePixelRatio = 1.0);
// The picture itself at a size in device pixels, uncached: from the SVG with
// Qt Svg (iconpicture_svg.cpp), else from pictures made of it at build time
// (iconpicture_png.cpp).
QPixmap iconPicture(const QString &resourcePath, const QSize &pixels);

} // namespace gravik
