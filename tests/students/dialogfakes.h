#pragma once

#include "widgets/windowregistry.h"
#include "database/database.h"
#include "students/bazawindow.h"
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
        auto &d = gravik::BazaWindow::dialogs();
        d.message = [this](QWidget *, const QString &title, const QString &text) { messages << title + '|' + text; };
        d.openFile = [this](QWidget *, const QString &) { return files.isEmpty() ? QString() : files.takeFirst(); };
        d.askSave = [this](QWidget *) {
            ++questions;
            return saveAnswer;
        };
    }
    ~DialogFakes() { gravik::BazaWindow::dialogs() = gravik::BazaWindow::standardDialogs(); }
};

// The database window as the program registers it, over a database of its own.
inline void registerBaza(gravik::WindowRegistry &registry, gravik::StudentDatabase &db)
{
    registry.add<gravik::BazaWindow>(gravik::WindowKind::Baza, [&db] { return new gravik::BazaWindow(db); });
    QObject::connect(&db, &gravik::StudentDatabase::loaded, &registry, &gravik::BazaWindow::reportLoad);
}

// A program folder, the dialogs answered, and the database window registered.
struct BazaRig {
    ProgramFolder dir;
    DialogFakes fakes;
    gravik::StudentDatabase db;
    gravik::WindowRegistry registry;
    BazaRig() { registerBaza(registry, db); }
    gravik::BazaWindow *window() { return registry.get<gravik::BazaWindow>(gravik::WindowKind::Baza); }
};
