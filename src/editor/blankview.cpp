#include "editor/blankview.h"

#include "core/blankunderlay.h"
#include "core/twips.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace gravik {

BlankView::BlankView(const BlankUnderlay &blank, QWidget *page) : QWidget(page), m_blank(blank)
{
    setObjectName(QStringLiteral("Underlay"));
    // Clicks, hover and the context menu belong to the page beneath.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(page->rect());
    page->installEventFilter(this);
    lower();
    connect(&blank, &BlankUnderlay::pictureChanged, this, &BlankView::takePicture);
    connect(&blank, &BlankUnderlay::placementChanged, this, [this] { update(); });
    takePicture();
}

QRect BlankView::pictureRect() const
{
    const BlankPlacement &p = m_blank.placement();
    return QRect(QPoint(twips::toPixels(p.xTwips, twips::screenDpiX()), twips::toPixels(p.yTwips, twips::screenDpiY())),
                 m_shown.deviceIndependentSize().toSize());
}

bool BlankView::showsPicture() const
{
    return m_blank.placement().shown && !m_shown.isNull();
}

void BlankView::takePicture()
{
    m_shown = QPixmap::fromImage(m_blank.screenPicture());
    m_shown.setDevicePixelRatio(m_blank.screenPicture().devicePixelRatio());
    update();
}

void BlankView::paintEvent(QPaintEvent *e)
{
    if (!showsPicture())
        return;
    QPainter p(this);
    const QRect at = pictureRect();
    const QRect part = e->rect() & at;
    if (part.isEmpty())
        return;
    const qreal ratio = m_shown.devicePixelRatio();
    const QRect source(QPointF((part.topLeft() - at.topLeft()) * ratio).toPoint(), part.size() * ratio);
    p.drawPixmap(part, m_shown, source);
}

bool BlankView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

} // namespace gravik
