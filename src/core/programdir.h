#pragma once

#include <QCommandLineOption>
#include <QString>

namespace gravik::programdir {

// The folder that holds every data file (see choose()).
QString path();

// Tests point the program at a folder of their own.
void setPath(const QString &dir);

// A file of the program directory, e.g. file("data/lang.txt").
QString file(const QString &relative);

// What differs by system (programdir_posix.cpp, programdir_windows.cpp):
// whether the executable is installed (under /usr, or in a folder this user
// cannot write, such as Program Files), where its default data lie, and the
// name of the user's own program directory under dataHome.
bool isSystemFolder(const QString &dir);
QString installedDefaults(const QString &exeDir);
// Defaults for a copy run from its own folder; empty: none.
QString portableDefaults(const QString &exeDir);
QString userFolderName();
// The folder's canonical path, or its clean absolute path when it does not exist.
QString resolved(const QString &dir);

struct Choice
{
    QString dir;      // the program directory
    QString defaults; // folder to fill it from, without overwriting; empty: none
};

// An explicit folder wins; then the executable's own folder, unless that is a
// system folder: then dataHome/gravik (Gravik on Windows), filled from the
// installed defaults (exeDir/../share/gravik; exeDir/defaults on Windows).
Choice choose(const QString &exeDir, const QString &explicitDir, const QString &dataHome);

// Copies every file under `from` that `to` lacks. The first failure stops it.
bool fillMissing(const QString &from, const QString &to, QString *error);

// `--dir DIR`, shared by every executable of the program.
QCommandLineOption dirOption();

// Chooses the program directory for this run (explicitDir from --dir), creates
// and fills it where needed and sets path(). False with a message on failure.
bool setUp(const QString &explicitDir, QString *error);

} // namespace gravik::programdir
