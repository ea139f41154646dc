#pragma once

#include <QPixmap>
#include <QString>
#include <QAbstractButton>

namespace gravik {

// A 525 x 525-twip picture that acts as a push button. It shows its normal
// picture (green icon on light blue) or its highlighted one (white and grey);
// which one is decided by the window's hover table. Pressing shows normal;
// the click fires on release over the button.
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

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;

private:
    QString m_icon;
    bool m_highlighted = false;
};

// Renders an icon pair's picture at a pixel size (used by the button and by
// windows that show an icon on their own).
QPixmap renderIcon(const QString &resourcePath, const QSize &size, qreal devicePixelRatio = 1.0);

} // namespace gravik
