#include "app/windows.h"

#include "database/database.h"
#include "editor/blankard.h"
#include "i18n/interfacelanguage.h"
#include "printdialog/printdialog.h"
#include "settings/settingswindow.h"
#include "students/students.h"
#include "widgets/windowregistry.h"

namespace gravik {

void registerWindows(WindowRegistry &registry, Blankard &main, StudentDatabase &db)
{
    registry.setMainWindow(&main);
    Blankard::StartupSteps steps;
    registerLanguage(registry, main, db, steps);
    registerSettings(registry);
    registerPrintDialog(registry, main);
    registerStudents(registry, main, db, steps);
    main.setStartupSteps(steps);
    main.setRegistry(&registry);
}

} // namespace gravik
