#include "printdialog/printdialog.h"
#include "core/builtinstrings.h"

#include "widgets/windowregistry.h"
#include "language/languagefile.h"
#include "core/twips.h"
#include "widgets/hoverrouter.h"
#include "widgets/imagebutton.h"
#include "widgets/pageeditor.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>

namespace gravik {

namespace {

const QColor kBackground(200, 227, 251);
const QColor kDarkRed(128, 0, 0);

QLabel *label(QWidget *parent, const char *name, int l, int t, int w, int h, double pt,
              Qt::Alignment align, const QColor &color, const QString &text = {})
{
    auto *lab = new QLabel(parent);
    lab->setObjectName(QString::fromLatin1(name));
    lab->setTextFormat(Qt::PlainText); // a pupil's name is never markup
    lab->setText(text);
    lab->setGeometry(twips::toScreen(l, t, w, h));
    QFont f(QStringLiteral("Times New Roman"));
    f.setPointSizeF(pt);
    f.setBold(true);
    lab->setFont(f);
    lab->setAlignment(align | Qt::AlignTop);
    lab->setAttribute(Qt::WA_TranslucentBackground);
    QPalette pal = lab->palette();
    pal.setColor(QPalette::WindowText, color);
    lab->setPalette(pal);
    return lab;
}

using Pic = HoverRule::Picture;

HoverTable printHoverTable()
{
    return {
        {"Image1", {{"Image1", Pic::Highlighted}, {"Image4", Pic::Normal}}},
        {"Image4", {{"Image1", Pic::Normal}, {"Image4", Pic::Highlighted}}},
        {"Print1", {{"Image1", Pic::Normal}, {"Image4", Pic::Normal}}},
    };
}

} // namespace

PrintDialog::PrintDialog(const CertificateDocument &doc, PageEditor &editor, QWidget *owner, PagePrinter printer)
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_doc(doc), m_editor(editor), m_owner(owner),
      m_printer(printer ? std::move(printer) : PagePrinter(printing::printOnDefaultPrinter))
{
    setObjectName(QStringLiteral("Print1"));
    m_language.setObjectName(QStringLiteral("Text1"));
    setWindowTitle(builtinstrings::text(47));
    setFixedSize(twips::toScreen(0, 0, 6450, 2160).size());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    setPalette(pal);

    m_name = label(this, "Label1", 120, 120, 6255, 615, 14.25, Qt::AlignHCenter, kDarkRed);
    label(this, "Label2", 240, 840, 2295, 375, 12, Qt::AlignLeft, Qt::black,
          builtinstrings::text(48));
    m_number = label(this, "Label3", 2640, 720, 1815, 495, 20.25, Qt::AlignLeft, kDarkRed);

    auto *print = new ImageButton(QStringLiteral("Image1"), QStringLiteral("tick"), this);
    print->placeAt(4920, 1440);
    print->setToolTip(builtinstrings::text(49));
    auto *cancelButton = new ImageButton(QStringLiteral("Image4"), QStringLiteral("cross"), this);
    cancelButton->placeAt(5760, 1440);
    cancelButton->setToolTip(builtinstrings::text(50));
    print->setShortcuts({QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Return)});
    cancelButton->setShortcuts({QKeySequence(Qt::Key_Escape)});
    connect(print, &ImageButton::clicked, this, &PrintDialog::printPage);
    connect(cancelButton, &ImageButton::clicked, this, &PrintDialog::cancel);

    new HoverRouter(this, printHoverTable());

    if (const QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void PrintDialog::creationStep()
{
    // A missing or empty file leaves the code unset; the language reports it.
    if (const auto code = languagefile::read(languagefile::defaultPath()))
        m_language.setText(*code);
}

void PrintDialog::fill()
{
    m_name->setText(m_doc.value(Value::Surname) + QLatin1Char(' ') + m_doc.value(Value::FirstName) +
                    QLatin1Char(' ') + m_doc.value(Value::Patronymic));
    m_number->setText(m_doc.value(Value::RegistrationNumber));
}

ImageButton *PrintDialog::button(const QString &name) const
{
    return findChild<ImageButton *>(name, Qt::FindDirectChildrenOnly);
}

QString PrintDialog::jobTitle() const
{
    const QString who = m_name->text().simplified();
    return who.isEmpty() ? QStringLiteral("Аттестат") : QStringLiteral("Аттестат: %1").arg(who);
}

bool PrintDialog::printPage()
{
    // The selection highlight is not part of the certificate; it stays off.
    m_editor.resetFieldColours();
    m_editor.setPanelShown(false);
    m_last = m_printer(page::contents(m_doc.certificate()), jobTitle());
    m_editor.setPanelShown(true);
    if (!m_last.ok)
        reportFailure(m_last);
    return m_last.ok;
}

void PrintDialog::cancel()
{
    hide();
}

void PrintDialog::reportFailure(const printing::Outcome &outcome)
{
    hide();
    QString why = outcome.error.trimmed();
    while (why.endsWith(QLatin1Char('.')))
        why.chop(1);
    const QString text =
        outcome.printer.isEmpty()
            ? QStringLiteral("Страница не напечатана: %1.").arg(why)
            : QStringLiteral("Страница не напечатана на принтере «%1»: %2.").arg(outcome.printer, why);
    // Not modal on the stack: the print handler returns, the operator reads
    // the message over the main window.
    auto *box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, m_owner);
    box->setObjectName(QStringLiteral("PrintError"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void registerPrintDialog(WindowRegistry &registry, const CertificateDocument &doc, PageEditor &editor,
                         QAbstractButton &printButton, PrintDialog::PagePrinter printer)
{
    QPointer<QWidget> owner(printButton.window());
    registry.add<PrintDialog>(WindowKind::Print,
                              [&doc, &editor, owner, printer] { return new PrintDialog(doc, editor, owner, printer); });
    // Runs before the button's own connection (made later) shows the dialog:
    // a first click creates it here, then fills it.
    QObject::connect(&printButton, &QAbstractButton::clicked, &registry, [&registry] {
        if (auto *d = registry.get<PrintDialog>(WindowKind::Print))
            d->fill();
    });
}

} // namespace gravik
