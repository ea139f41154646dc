#pragma once

#include "database/workbook.h"

#include <QString>
#include <QStringList>

#include <array>

// The student database's layout: one worksheet "Sheet1", two header rows,
// pupils from row 3 in columns A to I.
namespace gravik::studentdb {

inline const QString HeaderSheet = QStringLiteral("Sheet1");
constexpr int FirstPupilRow = 3;
constexpr int ColumnCount = 9;
// Rows of bordered empty cells the built-in grid offers for typing pupils in.
constexpr int LastBorderedRow = 1642;

// The twelve header cells the interface language rewrites.
inline const QStringList HeaderRefs = {QStringLiteral("A1"), QStringLiteral("D1"), QStringLiteral("G1"),
                                       QStringLiteral("A2"), QStringLiteral("B2"), QStringLiteral("C2"),
                                       QStringLiteral("D2"), QStringLiteral("E2"), QStringLiteral("F2"),
                                       QStringLiteral("G2"), QStringLiteral("H2"), QStringLiteral("I2")};
// Their Russian texts, in the same order.
QStringList russianHeaders();

// Widths of columns A to I, in points.
constexpr std::array<double, ColumnCount> ColumnWidths = {75.75, 84.0, 87.75, 82.5, 78.0,
                                                          94.5,  168.0, 168.75, 105.75};
constexpr double DefaultRowHeight = 12.75;

// What the grid shows before a file is loaded: the Russian headers, the
// styles, the bordered empty rows, no pupils.
Workbook builtIn();

} // namespace gravik::studentdb
