#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Cells as plain text on the clipboard, the way spreadsheets exchange them:
// a tab between the cells of a row, a line end after each row; a cell that
// holds a tab, a line break or a quote is put in quotes, its quotes doubled.
namespace gravik::tsv {

using Rows = QList<QStringList>;

// Reads LF or CRLF line ends, quoted cells (a line break inside one is kept
// as LF) and a missing last line end. Rows keep the cells they have; text
// without any cell gives no row.
Rows parse(QStringView text);

// Each row ends with LF, the last one too.
QString format(const Rows &rows);

} // namespace gravik::tsv
