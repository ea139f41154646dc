#pragma once

#include <QString>

#include <optional>

// data/lang.txt: line 1 is the interface language code; the rest is ignored.
namespace gravik::languagefile {

QString defaultPath();

// Line 1 as it stands (compared later, never trimmed). nullopt and *problem,
// naming the file, when it is missing or empty.
std::optional<QString> read(const QString &path, QString *problem = nullptr);

// The code as the file's only line, replacing the file in one step.
bool write(const QString &path, const QString &code, QString *error = nullptr);

} // namespace gravik::languagefile
