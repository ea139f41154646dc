#include "database/pupils.h"

#include "database/database.h"

#include <QHash>

#include <algorithm>

namespace gravik::pupils {

QString entryOf(const Worksheet &sheet, int row)
{
    // Views of the cells, one string for the entry.
    const QStringView a = sheet.textView(row, 1), b = sheet.textView(row, 2), c = sheet.textView(row, 3);
    QString entry;
    entry.reserve(a.size() + b.size() + c.size() + 2);
    entry.append(a).append(u' ').append(b).append(u' ').append(c);
    return singleLine(entry);
}

QStringList listEntries(const Worksheet &sheet)
{
    QStringList out;
    for (int row = studentdb::FirstPupilRow; row <= MaxSheetRows; ++row) {
        if (sheet.textView(row, 3).isEmpty())
            break;
        out.append(entryOf(sheet, row));
    }
    return out;
}

namespace {
StudentRecord recordOf(const Worksheet &sheet, int row)
{
    StudentRecord rec;
    for (int col = 1; col <= studentdb::ColumnCount; ++col)
        rec[size_t(col - 1)] = sheet.text(row, col);
    return rec;
}

// The rows the search for a chosen entry walks.
template <class F> void searchRows(const Worksheet &sheet, F &&f)
{
    for (int row = studentdb::FirstPupilRow; row <= MaxSheetRows; ++row) {
        if (sheet.textView(row, 1).isEmpty())
            break;
        f(row);
    }
}
} // namespace

std::optional<StudentRecord> find(const Worksheet &sheet, const QString &entry)
{
    std::optional<StudentRecord> found;
    searchRows(sheet, [&](int row) {
        if (entryOf(sheet, row) == entry)
            found = recordOf(sheet, row);
    });
    return found;
}

void applyRecord(const StudentRecord &record, const std::function<void(Value, const QString &)> &set)
{
    for (size_t i = 0; i < record.size(); ++i)
        set(CopyValues[i], singleLine(record[i]));
}

void applyRecord(Certificate &c, const StudentRecord &record)
{
    applyRecord(record, [&c](Value v, const QString &text) { c.setValue(v, text); });
}

StudentRecord recordOf(const Certificate &c)
{
    StudentRecord rec;
    for (size_t i = 0; i < rec.size(); ++i)
        rec[i] = c.value(CopyValues[i]);
    return rec;
}

page::PageWriter classPages(const Certificate &base, const std::vector<StudentRecord> &pupils)
{
    return [&base, &pupils](page::PdfFile &pdf, int index, QString *error) {
        Certificate c = base;
        applyRecord(c, pupils.at(size_t(index)));
        return pdf.addPage(c, error);
    };
}

std::vector<StudentRecord> listedPupils(const Worksheet &sheet)
{
    // One search walk for the whole class: the last row of each entry.
    QHash<QString, int> lastRow;
    searchRows(sheet, [&](int row) { lastRow.insert(entryOf(sheet, row), row); });
    std::vector<StudentRecord> out;
    for (const QString &entry : listEntries(sheet))
        if (const auto it = lastRow.constFind(entry); it != lastRow.constEnd())
            out.push_back(recordOf(sheet, *it));
    return out;
}

std::vector<StudentRecord> rowRange(const Worksheet &sheet, int first, int last)
{
    std::vector<StudentRecord> out;
    last = std::min(last, sheet.usedRows());
    for (int row = std::max(first, studentdb::FirstPupilRow); row <= last; ++row) {
        StudentRecord rec = recordOf(sheet, row);
        if (std::any_of(rec.begin(), rec.end(), [](const QString &v) { return !v.isEmpty(); }))
            out.push_back(std::move(rec));
    }
    return out;
}

} // namespace gravik::pupils
