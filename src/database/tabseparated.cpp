#include "database/tabseparated.h"

namespace gravik::tsv {

namespace {

bool needsQuotes(QStringView cell)
{
    for (QChar c : cell)
        if (c == u'\t' || c == u'\n' || c == u'\r' || c == u'"')
            return true;
    return false;
}

} // namespace

Rows parse(QStringView text)
{
    Rows rows;
    QStringList row;
    QString cell;
    const qsizetype n = text.size();
    qsizetype i = 0;
    bool rowOpen = false;  // something of the current row has been read
    bool cellStart = true; // only a cell's first character can open quotes
    auto endCell = [&] {
        row.append(cell);
        cell.clear();
        cellStart = true;
    };
    auto endRow = [&] {
        endCell();
        rows.append(row);
        row.clear();
        rowOpen = false;
    };
    while (i < n) {
        rowOpen = true;
        if (text[i] == u'"' && cellStart) {
            cellStart = false;
            // A quoted cell runs to the quote not followed by another.
            ++i;
            while (i < n) {
                const QChar c = text[i];
                if (c == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        cell += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
                    cell += u'\n';
                    i += 2;
                    continue;
                }
                cell += c;
                ++i;
            }
            continue; // what follows the closing quote is read as plain text
        }
        const QChar c = text[i];
        if (c == u'\t') {
            endCell();
            ++i;
        } else if (c == u'\n' || c == u'\r') {
            endRow();
            i += (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
        } else {
            cell += c;
            cellStart = false;
            ++i;
        }
    }
    if (rowOpen)
        endRow();
    return rows;
}

QString format(const Rows &rows)
{
    QString out;
    for (const QStringList &row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0)
                out += u'\t';
            const QString &cell = row[c];
            if (needsQuotes(cell)) {
                out += u'"';
                out += QString(cell).replace(u'"', QLatin1String("\"\""));
                out += u'"';
            } else {
                out += cell;
            }
        }
        out += u'\n';
    }
    return out;
}

} // namespace gravik::tsv
