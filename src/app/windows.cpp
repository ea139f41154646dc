#include "app/windows.h"

#include "core/controlnames.h"
#include "core/printeroffsets.h"
#include "database/studentdatabase.h"
#include "editor/certificatewindow.h"
#include "i18n/interfacelanguage.h"
#include "printdialog/calibration.h"
#include "printdialog/pdfentry.h"
#include "printdialog/printdialog.h"
#include "settings/settingswindow.h"
#include "students/studentdatabasewindow.h"
#include "students/classprint.h"
#include "students/students.h"
#include "widgets/imagebutton.h"
#include "widgets/notices.h"
#include "widgets/windowregistry.h"

namespace gravik {

void registerWindows(WindowRegistry &registry, CertificateWindow &main, StudentDatabase &db)
{
    registry.setMainWindow(&main);
    // A bad line of data/printers.txt, told once, whichever window printed.
    printeroffsets::setReporter([](const QString &message) { notices::warning(nullptr, message); });
    CertificateDocument &doc = main.document();
    ProgramSteps steps;
    registerLanguage(registry, main, main.languageCode(), db, steps);
    registerSettings(registry);
    registerPrintDialog(registry, doc, main, *main.button(QString::fromLatin1(names::PrintButton)));
    registerStudents(registry, doc, main, db, steps);
    // Class print and PDF: controls of their own on the database window and the print dialog.
    QObject::connect(&registry, &WindowRegistry::registered, &main, [&doc](WindowKind kind, QWidget *w) {
        if (auto *baza = kind == WindowKind::Baza ? qobject_cast<StudentDatabaseWindow *>(w) : nullptr)
            ClassPrint::attach(*baza, doc);
        if (auto *print = kind == WindowKind::Print ? qobject_cast<PrintDialog *>(w) : nullptr) {
            attachPdfEntry(*print);
            attachCalibration(*print);
        }
    });
    main.setProgramSteps(steps);
    main.setRegistry(&registry);
}

} // namespace gravik
