#pragma once

#include <QByteArray>

#include <functional>

// Crafted SpreadsheetML for the hostile-file tests and benchmarks: made at
// run time, so no large file lives in the repository.
namespace gravik::crafted {

// A one-sheet workbook ("Sheet1") around rows and styles.
inline QByteArray book(const QByteArray &table, const QByteArray &styles = {})
{
    return "<?xml version=\"1.0\"?>\n<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\""
           " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\n<Styles>"
           + styles + "</Styles>\n<Worksheet ss:Name=\"Sheet1\"><Table>\n" + table + "</Table></Worksheet></Workbook>\n";
}

// part(0) + part(1) + ... + part(n - 1).
inline QByteArray repeat(int n, const std::function<QByteArray(int)> &part)
{
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += part(i);
    return out;
}

inline QByteArray num(int i) { return QByteArray::number(i); }

} // namespace gravik::crafted
