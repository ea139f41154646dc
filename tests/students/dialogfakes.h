#pragma once

#include "widgets/windowregistry.h"
#include "students/bazawindow.h"

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

// The database window as the program registers it.
inline void registerBaza(gravik::WindowRegistry &registry)
{
    registry.setFactory(
        gravik::WindowKind::Baza, [] { return new gravik::BazaWindow; },
        [](QWidget *w) { static_cast<gravik::BazaWindow *>(w)->creationStep(); });
}
