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

// An installed executable: under /usr, or in a folder this user cannot write.
// Root writes everywhere, so the location alone must decide for root.
bool isSystemFolder(const QString &dir);

struct Choice
{
    QString dir;      // the program directory
    QString defaults; // folder to fill it from, without overwriting; empty: none
};

// An explicit folder wins; then the executable's own folder, unless that is a
// system folder: then dataHome/gravik, filled from exeDir/../share/gravik.
Choice choose(const QString &exeDir, const QString &explicitDir, const QString &dataHome);

// Copies every file under `from` that `to` lacks. The first failure stops it.
bool fillMissing(const QString &from, const QString &to, QString *error);

// `--dir DIR`, shared by every executable of the program.
QCommandLineOption dirOption();

// Chooses the program directory for this run (explicitDir from --dir), creates
// and fills it where needed and sets path(). False with a message on failure.
bool setUp(const QString &explicitDir, QString *error);

} // namespace gravik::programdir
