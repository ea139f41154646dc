#include "editor/hoverrouter.h"

#include "editor/imagebutton.h"

#include <QMouseEvent>
#include <QWidget>

namespace gravik {

HoverRouter::HoverRouter(QWidget *window, HoverTable table)
    : QObject(window), m_window(window), m_table(std::move(table))
{
    window->setMouseTracking(true);
    window->installEventFilter(this);
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
    if (watched == m_window && event->type() == QEvent::MouseMove) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->buttons() == Qt::NoButton) {
            QWidget *under = m_window->childAt(me->position().toPoint());
            moveOver(under ? under->objectName() : m_window->objectName());
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace gravik
