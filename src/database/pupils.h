#pragma once

#include "core/certificate.h"
#include "core/pagerenderer.h"
#include "core/textfile.h"
#include "database/workbook.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <vector>

// The pupil chooser's two walks down the database, as plain functions.
namespace gravik::pupils {

// The nine values of one pupil, columns A to I of a data row.
using StudentRecord = std::array<QString, 9>;

// The values that receive columns A to I.
inline constexpr std::array<Value, 9> CopyValues = {
    Value::Surname,      Value::FirstName,    Value::Patronymic,     Value::SurnameKz,          Value::FirstNameKz,
    Value::PatronymicKz, Value::ClassTeacher, Value::ClassTeacherKz, Value::RegistrationNumber};

using textfile::singleLine;

// A row's list entry: columns A, B and C joined by single spaces, on one line.
QString entryOf(const Worksheet &sheet, int row);

// The list: one entry per row from row 3 down to the row before the first
// one whose column C is empty.
QStringList listEntries(const Worksheet &sheet);

// The search for a chosen entry: rows from 3 down to the row before the first
// one whose column A is empty; the last row whose entry matches wins.
std::optional<StudentRecord> find(const Worksheet &sheet, const QString &entry);

// Choosing a pupil: each value on one line into its place, columns A to I in order.
void applyRecord(const StudentRecord &record, const std::function<void(Value v, const QString &text)> &set);
void applyRecord(Certificate &c, const StudentRecord &record);
// The nine values a certificate holds in those places.
StudentRecord recordOf(const Certificate &c);

// One page per pupil: the base certificate with the pupil's nine values
// applied as choosing the pupil applies them. Keeps references to both.
page::PageWriter classPages(const Certificate &base, const std::vector<StudentRecord> &pupils);

// A class: every row the list shows, each with its own nine values. Two
// pupils of the same name are two pages, never the same one twice; only a
// choice in the list goes by the name.
std::vector<StudentRecord> listedPupils(const Worksheet &sheet);

// Grid rows first..last (clamped to the pupil rows), each row's own values;
// a row with all nine cells empty is no pupil and is left out.
std::vector<StudentRecord> rowRange(const Worksheet &sheet, int first, int last);

// The lowest row with any of the nine values; 0 when there is none.
int lastPupilRow(const Worksheet &sheet);

} // namespace gravik::pupils
