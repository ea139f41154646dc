#include "database/pupils.h"

#include "database/studentdatabase.h"

namespace gravik::pupils {

QString entryOf(const Worksheet &sheet, int row)
{
    return singleLine(sheet.text(row, 1) + u' ' + sheet.text(row, 2) + u' ' + sheet.text(row, 3));
}

QStringList listEntries(const Worksheet &sheet)
{
    QStringList out;
    for (int row = studentdb::FirstPupilRow; row <= MaxSheetRows; ++row) {
        if (sheet.text(row, 3).isEmpty())
            break;
        out.append(entryOf(sheet, row));
    }
    return out;
}

std::optional<StudentRecord> find(const Worksheet &sheet, const QString &entry)
{
    std::optional<StudentRecord> found;
    for (int row = studentdb::FirstPupilRow; row <= MaxSheetRows; ++row) {
        if (sheet.text(row, 1).isEmpty())
            break;
        if (entryOf(sheet, row) != entry)
            continue;
        StudentRecord rec;
        for (int col = 1; col <= 9; ++col)
            rec[size_t(col - 1)] = sheet.text(row, col);
        found = rec;
    }
    return found;
}

} // namespace gravik::pupils
