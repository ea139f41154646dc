#pragma once

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
    QStringLiteral("Text1"),  QStringLiteral("Text2"),  QStringLiteral("Text3"),
    QStringLiteral("Text13"), QStringLiteral("Text14"), QStringLiteral("Text15"),
    QStringLiteral("Text7"),  QStringLiteral("Text18"), QStringLiteral("Text12")};

// Text for a single-line box: each line break (CR LF, LF or CR) becomes a space.
QString singleLine(const QString &text);

// A row's list entry: columns A, B and C joined by single spaces, on one line.
QString entryOf(const Worksheet &sheet, int row);

// The list: one entry per row from row 3 down to the row before the first
// one whose column C is empty.
QStringList listEntries(const Worksheet &sheet);

// The search for a chosen entry: rows from 3 down to the row before the first
// one whose column A is empty; the last row whose entry matches wins.
std::optional<StudentRecord> find(const Worksheet &sheet, const QString &entry);

} // namespace gravik::pupils
