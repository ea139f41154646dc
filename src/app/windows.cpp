#include "app/windows.h"

#include "core/controlnames.h"
#include "core/printeroffsets.h"
#include "database/studentdatabase.h"
#include "editor/certificatewindow.h"
#include "i18n/interfacelanguage.h"
#include "printdialog/blanklabel.h"
#include "printdialog/calibration.h"
#include "printdialog/pdfentry.h"
#include "printdialog/printdialog.h"
#include "register/issuing.h"
#include "registerwindow/registerwindow.h"
#include "settings/settingswindow.h"
#include "students/studentdatabasewindow.h"
#include "students/classprint.h"
#include "students/students.h"
#include "widgets/imagebutton.h"
#include "widgets/notices.h"
#include "widgets/windowregistry.h"

#include <QFrame>

namespace gravik {

namespace {

// A page to the default printer onto the next blank, recorded once the
// printer took it.
PrintDialog::PagePrinter printerOnBlanks(blanks::Register &reg)
{
    return [&reg](const std::vector<page::FieldContent> &fields, const QString &title) {
        const blanks::Issue issue = blanks::printOnBlanks(reg, {blanks::printedPage(fields)}, std::nullopt, [&] {
            return printing::printOnDefaultPrinter(fields, title);
        });
        if (!issue.notRecorded.isEmpty())
            notices::warning(nullptr, QStringLiteral("Задание %1 отправлено на принтер «%2», но не записано в журнал "
                                                     "бланков: %3")
                                          .arg(issue.out.job)
                                          .arg(issue.out.printer, issue.notRecorded));
        return issue.out;
    };
}

} // namespace

void registerWindows(WindowRegistry &registry, CertificateWindow &main, StudentDatabase &db, blanks::Register &reg)
{
    registry.setMainWindow(&main);
    // A bad line of data/printers.txt, told once, whichever window printed.
    printeroffsets::setReporter([](const QString &message) { notices::warning(nullptr, message); });
    CertificateDocument &doc = main.document();
    ProgramSteps steps;
    registerLanguage(registry, main, main.languageCode(), db, steps);
    registerSettings(registry);
    registerPrintDialog(registry, doc, main, *main.button(QString::fromLatin1(names::PrintButton)), printerOnBlanks(reg));
    registerStudents(registry, doc, main, db, steps);
    registerRegisterWindow(registry, reg);
    QObject::connect(&reg, &blanks::Register::movedAside, &main, [](const QString &path, const QString &kept) {
        notices::warning(nullptr, movedAsideMessage(path, kept));
    });
    // Beside the pupil list's update button, and beside the class buttons.
    attachRegisterButton(main, *main.panel(), registry, QStringLiteral("Image25"), 8640, 2520, main.languageCode());
    // Class print and PDF: controls of their own on the database window and the print dialog.
    QObject::connect(&registry, &WindowRegistry::registered, &main, [&doc, &registry, &reg](WindowKind kind, QWidget *w) {
        if (auto *baza = kind == WindowKind::Baza ? qobject_cast<StudentDatabaseWindow *>(w) : nullptr) {
            ClassPrint::attach(*baza, doc, reg);
            attachRegisterButton(*baza, *baza, registry, QStringLiteral("Image9"), 2640, 120, baza->languageCode());
        }
        if (auto *print = kind == WindowKind::Print ? qobject_cast<PrintDialog *>(w) : nullptr) {
            attachPdfEntry(*print);
            attachCalibration(*print);
            attachBlankLabel(*print, reg, registry);
        }
    });
    main.setProgramSteps(steps);
    main.setRegistry(&registry);
}

} // namespace gravik
