#pragma once

#include "core/version.h"
#include "language/translationtable.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace gravik::i18n {

// Fixed in the program: only the word before each comes from the table.
inline const QString ProgramVersion = QStringLiteral(GRAVIK_VERSION);
inline const QString MakerTelephone = QStringLiteral("+7 000 000 00 00");

// What a row writes.
enum class Target {
    Title,   // the window's title
    Caption, // a label's, check box's, option's or frame's text
    ToolTip, // a control's tooltip
    Cell     // a cell of the database grid's worksheet "Sheet1", by A1 reference
};

// One row of the application tables: which string of each language goes where.
struct ApplicationRow {
    QString window;  // the window's object name
    QString control; // the control's object name or the cell's A1 reference; empty for a title
    Target target;
    int russianLine;
    int kazakhLine;
    QString suffix;  // literal text after the string
};

// The windows in the order in which the settings window applies a language to all.
const QStringList &windowOrder();

// Every row, grouped by window in windowOrder(), each window's rows in their order.
const std::vector<ApplicationRow> &applicationRows();

// One window's rows, in order.
std::vector<ApplicationRow> rowsOf(const QString &window);

// The line a row takes for a language code, or 0 for a code that selects none
// ("Rus" and "Kaz" only, compared exactly).
int lineFor(const ApplicationRow &row, const QString &code);

// What each of the window's rows becomes under the code, in order; empty for a
// code that selects no language.
std::vector<std::pair<ApplicationRow, QString>> resolve(const QString &window, const QString &code,
                                                        const TranslationTable &table);

} // namespace gravik::i18n
