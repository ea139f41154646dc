#pragma once

#include <QString>

namespace gravik::programdir {

// The folder of the executable, which holds every data file.
QString path();

// Tests point the program at a folder of their own.
void setPath(const QString &dir);

// A file of the program directory, e.g. file("data/lang.txt").
QString file(const QString &relative);

} // namespace gravik::programdir
