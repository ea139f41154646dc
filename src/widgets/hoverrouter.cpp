#include "widgets/hoverrouter.h"

#include "widgets/imagebutton.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace gravik {

HoverRouter::HoverRouter(QWidget *window, HoverTable table)
    : QObject(window), m_window(window), m_table(std::move(table))
{
    // Qt drops a move over a control that does not track the mouse before it
    // reaches any widget, but still shows it to application event filters.
    qApp->installEventFilter(this);
}

void HoverRouter::moveOver(const QString &source)
{
    for (const HoverRule &rule : m_table) {
        if (rule.source != source)
            continue;
        for (const auto &[name, picture] : rule.effects) {
            auto *b = m_window->findChild<ImageButton *>(name);
            if (!b)
                continue;
            if (picture == HoverRule::Picture::Highlighted)
                b->showHighlightedPicture();
            else
                b->showNormalPicture();
        }
        return;
    }
}

bool HoverRouter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseMove || !watched->isWidgetType())
        return false;
    auto *w = static_cast<QWidget *>(watched);
    auto *me = static_cast<QMouseEvent *>(event);
    if (w->window() != m_window)
        return false;
    // With a button held the control it was pressed on keeps the mouse and is
    // the source of every move; otherwise the control under the cursor is.
    // The same move may pass here once per widget it propagates through; the
    // source is the same each time, so applying is idempotent.
    if (me->buttons() != Qt::NoButton) {
        if (QWidget *grabber = QWidget::mouseGrabber(); grabber && grabber->window() == m_window)
            w = grabber;
        moveOver(w == m_window ? m_window->objectName() : w->objectName());
        return false;
    }
    const QPoint at = m_window->mapFromGlobal(me->globalPosition().toPoint());
    QWidget *under = m_window->childAt(at);
    moveOver(under ? under->objectName() : m_window->objectName());
    return false;
}

} // namespace gravik
