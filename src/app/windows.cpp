#include "app/windows.h"

#include "widgets/windowregistry.h"
#include "editor/blankard.h"
#include "i18n/interfacelanguage.h"
#include "i18n/translationeditor.h"
#include "printing/pdfentry.h"
#include "printing/printdialog.h"
#include "settings/aboutwindow.h"
#include "settings/settingswindow.h"
#include "students/bazawindow.h"
#include "students/classprint.h"
#include "students/pupilchooser.h"

namespace gravik {

void registerWindows(WindowRegistry &registry, Blankard &main)
{
    registry.setMainWindow(&main);
    Blankard::StartupSteps steps;

    // Each subsystem registers its window and fills its start-up steps here.

    // Interface language: every window's code applies its captions; the editor holds the strings.
    auto *language = new InterfaceLanguage(registry, &registry);
    language->watch(&main, &main.languageCode());
    registry.setFactory(WindowKind::Lang, &TranslationEditor::create, &TranslationEditor::creationStep);
    registry.setFactory(
        WindowKind::Settings, [&registry] { return new SettingsWindow(&registry); }, &SettingsWindow::creationStep);
    registry.setFactory(WindowKind::Help, &AboutWindow::create, &AboutWindow::creationStep);
    steps.readLanguage = [&main] {
        if (const auto code = InterfaceLanguage::readStoredCode())
            main.languageCode().setText(*code);
    };

    // Print dialog: filled on every click of the print button, before it shows.
    registerPrintDialog(registry, main);

    // Student database: the window holds the grid; the chooser fills the pupil list from it.
    registry.setFactory(
        WindowKind::Baza, [] { return new BazaWindow; },
        [](QWidget *w) { static_cast<BazaWindow *>(w)->creationStep(); });
    PupilChooser::attach(main, registry, steps);

    // Class print and PDF: controls of their own on the database window and the print dialog.
    QObject::connect(&registry, &WindowRegistry::registered, &main, [&main](WindowKind kind, QWidget *w) {
        if (auto *baza = kind == WindowKind::Baza ? qobject_cast<BazaWindow *>(w) : nullptr)
            ClassPrint::attach(*baza, main);
        if (auto *print = kind == WindowKind::Print ? qobject_cast<PrintDialog *>(w) : nullptr)
            attachPdfEntry(*print, main);
    });

    main.setStartupSteps(steps);
    main.setRegistry(&registry);
}

} // namespace gravik
