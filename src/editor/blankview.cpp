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
    connect(&blank, &BlankUnderlay::pictureChanged, this, &BlankView::rescale);
    connect(&blank, &BlankUnderlay::placementChanged, this, [this] { update(); });
    rescale();
}

QRect BlankView::pictureRect() const
{
    const BlankPlacement &p = m_blank.placement();
    const double dx = twips::screenDpiX(), dy = twips::screenDpiY();
    const QSize own = m_blank.picture().size();
    return QRect(twips::toPixels(p.xTwips, dx), twips::toPixels(p.yTwips, dy),
                 qRound(own.width() * dx / p.dpi), qRound(own.height() * dy / p.dpi));
}

bool BlankView::showsPicture() const
{
    return m_blank.placement().shown && !m_scaled.isNull();
}

void BlankView::rescale()
{
    if (!m_blank.hasPicture()) {
        m_scaled = QPixmap();
    } else {
        const qreal ratio = devicePixelRatioF();
        const QImage scaled = m_blank.picture().scaled(pictureRect().size() * ratio, Qt::IgnoreAspectRatio,
                                                       Qt::SmoothTransformation);
        m_scaled = QPixmap::fromImage(scaled);
        m_scaled.setDevicePixelRatio(ratio);
    }
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
    const qreal ratio = m_scaled.devicePixelRatio();
    const QRect source(QPointF((part.topLeft() - at.topLeft()) * ratio).toPoint(), part.size() * ratio);
    p.drawPixmap(part, m_scaled, source);
}

bool BlankView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

} // namespace gravik
