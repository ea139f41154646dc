#pragma once

#include "widgets/windowregistry.h"
#include "database/database.h"
#include "students/studentdatabasewindow.h"
#include "support/programfolder.h"

#include <QStringList>

// Stands in for the database window's dialogs and records what they were asked.
struct DialogFakes {
    QStringList messages;  // "title|text"
    QStringList files;     // what the import dialog returns, in turn; empty: no choice
    int questions = 0;
    bool saveAnswer = true; // the answer to "save changes?"

    DialogFakes()
    {
        auto &d = gravik::StudentDatabaseWindow::dialogs();
        d.message = [this](QWidget *, const QString &title, const QString &text) { messages << title + '|' + text; };
        d.openFile = [this](QWidget *, const QString &) { return files.isEmpty() ? QString() : files.takeFirst(); };
        d.askSave = [this](QWidget *) {
            ++questions;
            return saveAnswer;
        };
    }
    ~DialogFakes() { gravik::StudentDatabaseWindow::dialogs() = gravik::StudentDatabaseWindow::standardDialogs(); }
};

// The database window as the program registers it, over a database of its own.
inline void registerBaza(gravik::WindowRegistry &registry, gravik::StudentDatabase &db)
{
    registry.add<gravik::StudentDatabaseWindow>(gravik::WindowKind::Baza, [&db] { return new gravik::StudentDatabaseWindow(db); });
    QObject::connect(&db, &gravik::StudentDatabase::loaded, &registry, &gravik::StudentDatabaseWindow::reportLoad);
}

// A program folder, the dialogs answered, and the database window registered.
struct BazaRig {
    ProgramFolder dir;
    DialogFakes fakes;
    gravik::StudentDatabase db;
    gravik::WindowRegistry registry;
    BazaRig() { registerBaza(registry, db); }
    gravik::StudentDatabaseWindow *window() { return registry.get<gravik::StudentDatabaseWindow>(gravik::WindowKind::Baza); }
};
