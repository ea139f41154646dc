#include "students/students.h"

#include "database/studentdatabase.h"
#include "students/studentdatabasewindow.h"
#include "students/pupilchooser.h"
#include "widgets/windowregistry.h"

namespace gravik {

void registerStudents(WindowRegistry &registry, CertificateDocument &doc, QWidget &main, StudentDatabase &db,
                      ProgramSteps &steps)
{
    registry.add<StudentDatabaseWindow>(WindowKind::Baza, [&db] { return new StudentDatabaseWindow(db); });
    QObject::connect(&db, &StudentDatabase::loaded, &registry, &StudentDatabaseWindow::reportLoad);
    PupilChooser::attach(doc, main, db, steps, &registry);
}

} // namespace gravik
