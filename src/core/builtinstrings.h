#pragma once

#include <QString>
#include <QStringList>

// The interface's 114 strings as the program has them before data/languare.txt
// is read: lines 1 to 57 Russian, 58 to 114 Kazakh. Windows are built with
// these, the database's built-in header row too, and the translation table
// starts from them.
namespace gravik::builtinstrings {

constexpr int Count = 114;

const QStringList &all();
// String n, 1 to 114.
const QString &text(int n);

} // namespace gravik::builtinstrings
