#include "database/pupils.h"

#include "database/database.h"

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
    std::vector<StudentRecord> out;
    for (int row = studentdb::FirstPupilRow; row <= MaxSheetRows && !sheet.textView(row, 3).isEmpty(); ++row)
        out.push_back(recordOf(sheet, row));
    return out;
}

namespace {
bool holdsPupil(const SheetRow &row)
{
    return std::any_of(row.cells.begin(), row.cells.end(), [](const SheetCell &c) {
        return c.column >= 1 && c.column <= studentdb::ColumnCount && !c.text.isEmpty();
    });
}
} // namespace

std::vector<StudentRecord> rowRange(const Worksheet &sheet, int first, int last)
{
    std::vector<StudentRecord> out;
    last = std::min(last, sheet.usedRows());
    for (int row = std::max(first, studentdb::FirstPupilRow); row <= last; ++row)
        if (const SheetRow *r = sheet.row(row); r && holdsPupil(*r))
            out.push_back(recordOf(sheet, row));
    return out;
}

int lastPupilRow(const Worksheet &sheet)
{
    for (auto it = sheet.rows.rbegin(); it != sheet.rows.rend() && it->index >= studentdb::FirstPupilRow; ++it)
        if (holdsPupil(*it))
            return it->index;
    return 0;
}

} // namespace gravik::pupils
