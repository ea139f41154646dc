#pragma once

#include <QPixmap>
#include <QWidget>

namespace gravik {

class BlankUnderlay;

// The scanned blank behind the fields: covers the page, lies under every
// other control and lets the mouse through. The picture comes already at the
// screen's resolution; a paint only copies the part it repaints.
class BlankView : public QWidget
{
    Q_OBJECT
public:
    BlankView(const BlankUnderlay &blank, QWidget *page);

    // Where the picture lies on the page, in pixels: its top left corner at the
    // page corner plus the offset, its size what of it covers the page.
    QRect pictureRect() const;
    bool showsPicture() const;

protected:
    void paintEvent(QPaintEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void takePicture();

    const BlankUnderlay &m_blank;
    QPixmap m_shown;
};

} // namespace gravik
