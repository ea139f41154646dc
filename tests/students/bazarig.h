#pragma once

#include "widgets/windowregistry.h"
#include "database/studentdatabase.h"
#include "students/studentdatabasewindow.h"
#include "support/dialoganswers.h"
#include "support/programfolder.h"

#include <QStringList>

// The database window as the program registers it, over a database of its own.
inline void registerBaza(gravik::WindowRegistry &registry, gravik::StudentDatabase &db)
{
    registry.add<gravik::StudentDatabaseWindow>(gravik::WindowKind::Baza, [&db] { return new gravik::StudentDatabaseWindow(db); });
    QObject::connect(&db, &gravik::StudentDatabase::loaded, &registry, &gravik::StudentDatabaseWindow::reportLoad);
}

// A program folder, the dialogs answered, and the database window registered.
struct BazaRig {
    ProgramFolder dir;
    DialogAnswers fakes;
    gravik::StudentDatabase db;
    gravik::WindowRegistry registry;
    BazaRig() { registerBaza(registry, db); }
    gravik::StudentDatabaseWindow *window() { return registry.get<gravik::StudentDatabaseWindow>(gravik::WindowKind::Baza); }
};
