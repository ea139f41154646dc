#include "students/students.h"

#include "database/database.h"
#include "students/bazawindow.h"
#include "students/pupilchooser.h"
#include "widgets/windowregistry.h"

namespace gravik {

void registerStudents(WindowRegistry &registry, Blankard &main, StudentDatabase &db, Blankard::StartupSteps &steps)
{
    registry.add<BazaWindow>(WindowKind::Baza, [&db] { return new BazaWindow(db); });
    QObject::connect(&db, &StudentDatabase::loaded, &registry, &BazaWindow::reportLoad);
    PupilChooser::attach(main, db, steps);
}

} // namespace gravik
