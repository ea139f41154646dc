#include "database/pupils.h"

#include "database/studentdatabase.h"

namespace gravik::pupils {

QString singleLine(const QString &text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += u' ';
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

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
