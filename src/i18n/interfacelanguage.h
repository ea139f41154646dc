#pragma once

#include "i18n/languageapplier.h"
#include "language/languagestrings.h"
#include "widgets/programsteps.h"
#include "widgets/windowregistry.h"

#include <QObject>
#include <QString>

#include <optional>

class QWidget;

namespace gravik {

class LanguageCode;
class StudentDatabase;

// Puts the interface language on the windows. Every window's LanguageCode is
// connected to the application of that window's rows; the settings window's
// code applies the language to all six windows. The strings are read from the
// translation editor at the moment of application, so unsaved edits show.
class InterfaceLanguage : public QObject
{
    Q_OBJECT
public:
    explicit InterfaceLanguage(WindowRegistry &registry, QObject *parent = nullptr);

    // A window the registry does not create (the main window): its code applies its rows.
    void watch(QWidget *window, LanguageCode *code);

    // Where the database window's grid cells go.
    void setCellWriter(i18n::CellWriter cells) { m_cells = std::move(cells); }
    // The student database's header cells; whenever it is read without its
    // window, they take the stored language, as the window would give them.
    void attachDatabase(StudentDatabase &db);

    // The current strings, read from data/languare.txt on first need.
    const TranslationTable &table();
    LanguageStrings &strings() { return m_strings; }

    // One window's own application.
    void applyOwn(QWidget *window, const QString &code);

    // The settings window's application to all windows, creating absent ones
    // hidden; the code is read from `source` again for every window.
    void applyAll(const LanguageCode &source);

    // Line 1 of data/lang.txt; nullopt when it is missing or empty, which the
    // operator is told once.
    static std::optional<QString> readStoredCode();

    // data/languare.txt, the same way.
    static TranslationTable readStoredTable();

    // How many applications ran (tests watch for a loop).
    int applications() const { return m_applications; }

private:
    void onRegistered(WindowKind kind, QWidget *window);
    void applyRows(QWidget *window, const QString &code);
    void selectOption(QWidget *settings, const char *option);

    WindowRegistry &m_registry;
    LanguageStrings m_strings;
    i18n::CellWriter m_cells;
    int m_applications = 0;
    bool m_applyingAll = false; // the windows' codes follow rows already applied
};

// The interface language's part of the program: the translation editor, the
// language of every window, and the main window's start-up step reading it.
// mainCode is the main window's own language code.
InterfaceLanguage *registerLanguage(WindowRegistry &registry, QWidget &main, LanguageCode &mainCode,
                                    StudentDatabase &db, ProgramSteps &steps);

} // namespace gravik
