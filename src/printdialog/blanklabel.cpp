#include "printdialog/blanklabel.h"

#include "core/twips.h"
#include "language/registercaptions.h"
#include "printdialog/printdialog.h"
#include "register/blankregister.h"
#include "widgets/windowregistry.h"

#include <QEvent>
#include <QLabel>

namespace gravik {

namespace {

class BlankLabel : public QLabel
{
public:
    BlankLabel(PrintDialog &dialog, blanks::Register &reg, WindowRegistry &registry)
        : QLabel(&dialog), m_dialog(dialog), m_register(reg)
    {
        setObjectName(QStringLiteral("Label4"));
        setTextFormat(Qt::PlainText);
        setGeometry(twips::toScreen(120, 1500, 2200, 375));
        QFont f(QStringLiteral("Times New Roman"));
        f.setPointSizeF(10);
        f.setBold(true);
        setFont(f);
        dialog.installEventFilter(this);
        connect(&reg, &blanks::Register::changed, this, [this] { showNext(); });
        followLanguage(registry, this, dialog.languageCode(), [this](const QString &code) {
            m_code = code;
            showNext();
        });
    }

    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (watched == &m_dialog && e->type() == QEvent::Show)
            showNext();
        return false;
    }

private:
    void showNext()
    {
        using i18n::RegisterCaption;
        const QString &code = m_code;
        // A register that does not open names no blank; printing says why.
        m_register.use();
        const auto next = m_register.isOpen() ? m_register.nextBlank() : std::nullopt;
        setText(next ? i18n::registerCaption(RegisterCaption::DialogBlank, code).arg(next->text())
                     : i18n::registerCaption(RegisterCaption::DialogNoBlank, code));
    }

    PrintDialog &m_dialog;
    blanks::Register &m_register;
    QString m_code = LanguageCode::Russian;
};

} // namespace

void attachBlankLabel(PrintDialog &dialog, blanks::Register &reg, WindowRegistry &registry)
{
    new BlankLabel(dialog, reg, registry);
}

} // namespace gravik
