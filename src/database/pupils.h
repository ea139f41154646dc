#pragma once

#include "core/textfile.h"
#include "core/controlnames.h"
#include "database/workbook.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The pupil chooser's two walks down the database, as plain functions.
namespace gravik::pupils {

// The nine values of one pupil, columns A to I of a data row.
using StudentRecord = std::array<QString, 9>;

// The main-window boxes that receive columns A to I.
inline const std::array<QString, 9> CopyBoxes = {
    QString::fromLatin1(names::Surname),      QString::fromLatin1(names::FirstName),
    QString::fromLatin1(names::Patronymic),   QString::fromLatin1(names::SurnameKz),
    QString::fromLatin1(names::FirstNameKz),  QString::fromLatin1(names::PatronymicKz),
    QString::fromLatin1(names::ClassTeacher), QString::fromLatin1(names::ClassTeacherKz),
    QString::fromLatin1(names::RegistrationNumber)};

using textfile::singleLine;

// A row's list entry: columns A, B and C joined by single spaces, on one line.
QString entryOf(const Worksheet &sheet, int row);

// The list: one entry per row from row 3 down to the row before the first
// one whose column C is empty.
QStringList listEntries(const Worksheet &sheet);

// The search for a chosen entry: rows from 3 down to the row before the first
// one whose column A is empty; the last row whose entry matches wins.
std::optional<StudentRecord> find(const Worksheet &sheet, const QString &entry);

} // namespace gravik::pupils
