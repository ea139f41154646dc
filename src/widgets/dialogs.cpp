#include "widgets/dialogs.h"

#include "core/programdir.h"
#include "widgets/pagepreview.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>

namespace gravik {

namespace {

QWidget *shownOrNull(QWidget *w) { return w && w->isVisible() ? w : nullptr; }

} // namespace

Dialogs Dialogs::standard()
{
    Dialogs d;
    d.message = [](QWidget *parent, Icon icon, const QString &title, const QString &text) {
        const QMessageBox::Icon icons[] = {QMessageBox::Information, QMessageBox::Warning, QMessageBox::Critical};
        QMessageBox box(icons[int(icon)], title, text, QMessageBox::Ok, shownOrNull(parent));
        box.exec();
    };
    d.question = [](QWidget *parent, const QString &title, const QString &text, const QString &yes,
                    const QString &no) {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, shownOrNull(parent));
        QPushButton *first = box.addButton(yes, QMessageBox::AcceptRole);
        box.addButton(no, QMessageBox::DestructiveRole);
        // Neither is an escape button, so the question cannot be closed unanswered.
        box.setDefaultButton(first);
        box.exec();
        return box.clickedButton() == first;
    };
    d.openFile = [](QWidget *parent, const QString &caption, const QString &directory, const QString &filter) {
        return QFileDialog::getOpenFileName(shownOrNull(parent), caption, directory, filter);
    };
    d.saveFile = [](QWidget *parent, const QString &caption, const QString &directory, const QString &filter) {
        QFileDialog dialog(shownOrNull(parent), caption, directory, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The filter's suffix goes on a bare name before the dialog looks for
        // the file, so an existing one is never replaced without its question.
        static const QRegularExpression suffix(QStringLiteral("\\*\\.(\\w+)"));
        if (const QRegularExpressionMatch m = suffix.match(filter); m.hasMatch())
            dialog.setDefaultSuffix(m.captured(1));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    d.text = [](QWidget *parent, const QString &title, const QString &label,
                const QString &text) -> std::optional<QString> {
        bool ok = false;
        const QString got = QInputDialog::getText(shownOrNull(parent), title, label, QLineEdit::Normal, text, &ok);
        return ok ? std::optional<QString>(got) : std::nullopt;
    };
    d.preview = [](PagePreview &preview) { return preview.exec() == QDialog::Accepted; };
    return d;
}

Dialogs &Dialogs::current()
{
    static Dialogs d = standard();
    return d;
}

bool useRussianStandardDialogs(QCoreApplication &app)
{
    auto *qt = new QTranslator(&app);
    // The system's Qt's own, or the one compiled into the program where Qt has none.
    if ((qt->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
         qt->load(QStringLiteral("qtbase_ru"), QStringLiteral(":/translations"))) &&
        QCoreApplication::installTranslator(qt))
        return true;
    delete qt;
    return false;
}

void inform(QWidget *parent, const QString &text)
{
    Dialogs::current().message(parent, Dialogs::Icon::Information, QStringLiteral("Gravik"), text);
}

QString choosePdfFile(QWidget *parent, const QString &caption)
{
    QString path = Dialogs::current().saveFile(parent, caption, programdir::path(), QStringLiteral("PDF (*.pdf)"));
    if (!path.isEmpty() && !path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QLatin1String(".pdf");
    return path;
}

} // namespace gravik
