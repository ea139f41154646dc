#include "students/students.h"

#include "database/studentdatabase.h"
#include "students/studentdatabasewindow.h"
#include "students/pupilchooser.h"
#include "widgets/windowregistry.h"

namespace gravik {

void registerStudents(WindowRegistry &registry, CertificateWindow &main, StudentDatabase &db, CertificateWindow::StartupSteps &steps)
{
    registry.add<StudentDatabaseWindow>(WindowKind::Baza, [&db] { return new StudentDatabaseWindow(db); });
    QObject::connect(&db, &StudentDatabase::loaded, &registry, &StudentDatabaseWindow::reportLoad);
    PupilChooser::attach(main, db, steps);
}

} // namespace gravik
