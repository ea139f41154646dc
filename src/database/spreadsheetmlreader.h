#pragma once

#include "database/workbook.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Reads the XML Spreadsheet 2003 format (SpreadsheetML) of Excel, LibreOffice
// and gnumeric. Elements and attributes are matched by namespace URI, whatever
// prefix a writer chose. No DTD is read and no entity beyond the five
// predefined ones and character references is expanded.
namespace gravik::spreadsheetml {

struct Error {
    QString message; // in Russian; readFile's names the file
    int line = 0;    // 1-based position of an XML error, 0 when there is none
    int column = 0;
};

std::optional<Workbook> read(const QByteArray &data, Error *error = nullptr);
std::optional<Workbook> readFile(const QString &path, Error *error = nullptr);

} // namespace gravik::spreadsheetml
