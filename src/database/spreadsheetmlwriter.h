#pragma once

#include "database/workbook.h"

#include <QByteArray>
#include <QString>

// Writes a workbook as SpreadsheetML, the way the reader and other
// spreadsheet programs read it.
namespace gravik::spreadsheetml {

QByteArray write(const Workbook &book);
// Replaces the file atomically; false and *error (naming the file) on failure.
bool writeFile(const QString &path, const Workbook &book, QString *error = nullptr);

} // namespace gravik::spreadsheetml
