#include "editor/keyboardaccess.h"

#include "core/certificatefields.h"
#include "core/controlnames.h"
#include "editor/certificatewindow.h"
#include "editor/fieldlabel.h"
#include "language/addedcaptions.h"
#include "widgets/imagebutton.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QShortcut>

namespace gravik {

namespace {

const i18n::CaptionPair kChooseTip = {"F6, Shift+F6: следующее, предыдущее поле; стрелки сдвигают выбранное",
                                      "F6, Shift+F6: келесі, алдыңғы өріс; бағыттауыштар таңдалғанын жылжытады"};

// Steps the positioning scroll bars while the window itself has the focus,
// which a click on a field gives it: a list or box with the focus keeps its
// own arrow keys. F6 and Shift+F6 choose a field as a click on it does.
class FieldNudge : public QObject
{
public:
    explicit FieldNudge(CertificateWindow &window) : QObject(&window), m_window(window)
    {
        window.installEventFilter(this);
        for (int n = 1; n <= FieldCount; ++n)
            connect(window.fieldLabel(n), &FieldLabel::clicked, this,
                    [this] { m_window.setFocus(Qt::MouseFocusReason); });
        auto step = [this](int by) {
            if (m_window.panelOpen())
                return;
            const int from = m_window.selectedField();
            // From no selection F6 takes the first field and Shift+F6 the last.
            const int to = from == 0 ? (by > 0 ? 1 : FieldCount) : (from - 1 + by + FieldCount) % FieldCount + 1;
            m_window.selectField(to);
            m_window.setFocus(Qt::ShortcutFocusReason);
        };
        connect(new QShortcut(QKeySequence(Qt::Key_F6), &window), &QShortcut::activated, this, [step] { step(1); });
        connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), &window), &QShortcut::activated, this,
                [step] { step(-1); });
        auto tips = [this](const QString &code) {
            const QString tip = i18n::captionIn(kChooseTip, code);
            for (int n = 1; n <= FieldCount; ++n)
                m_window.fieldLabel(n)->setToolTip(tip);
            for (const char *bar : {"HScroll1", "VScroll1"})
                m_window.findChild<QScrollBar *>(QString::fromLatin1(bar), Qt::FindDirectChildrenOnly)->setToolTip(tip);
        };
        tips(window.languageCode().shown());
        connect(&window.languageCode(), &LanguageCode::shownChanged, this, tips);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != &m_window || event->type() != QEvent::KeyPress)
            return false;
        if (m_window.panelOpen() || m_window.selectedField() == 0)
            return false;
        auto *e = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
        if (mods != Qt::NoModifier && mods != Qt::ControlModifier)
            return false;
        const bool large = mods == Qt::ControlModifier;
        const char *bar = nullptr;
        bool forward = true;
        switch (e->key()) {
        case Qt::Key_Left: bar = "HScroll1"; forward = false; break;
        case Qt::Key_Right: bar = "HScroll1"; break;
        case Qt::Key_Up: bar = "VScroll1"; forward = false; break;
        case Qt::Key_Down: bar = "VScroll1"; break;
        default: return false;
        }
        auto *s = m_window.findChild<QScrollBar *>(QString::fromLatin1(bar), Qt::FindDirectChildrenOnly);
        if (!s)
            return false;
        using A = QAbstractSlider::SliderAction;
        s->triggerAction(large ? (forward ? A::SliderPageStepAdd : A::SliderPageStepSub)
                               : (forward ? A::SliderSingleStepAdd : A::SliderSingleStepSub));
        return true;
    }

private:
    CertificateWindow &m_window;
};

} // namespace

void addKeyboardAccess(CertificateWindow &window)
{
    window.button(QString::fromLatin1(names::PrintButton))->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_P)});
    window.button(QStringLiteral("Image14"))->setShortcuts({QKeySequence(Qt::Key_F1)});
    new FieldNudge(window);
}

} // namespace gravik
