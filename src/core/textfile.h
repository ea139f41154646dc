#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace gravik::textfile {

// Reads a code page 1251 text file as lines. A line ends at LF, a CR before it is
// dropped; a last line without its line end is still a line. nullopt and *error
// when the file cannot be read.
std::optional<QStringList> readLines(const QString &path, QString *error = nullptr);

// Writes each line followed by CR LF, replacing the file atomically.
bool writeLines(const QString &path, const QStringList &lines, QString *error = nullptr);

// The bytes writeLines would write.
QByteArray joinLines(const QStringList &lines);

// Text for one line (a single-line box, a line of a file): each line break
// (CR LF, LF or CR) becomes a space.
QString singleLine(const QString &text);

// Line 1 of a file, or nullopt (with *error) when it is missing or empty.
std::optional<QString> readFirstLine(const QString &path, QString *error = nullptr);

} // namespace gravik::textfile
