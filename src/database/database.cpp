#include "database/database.h"
#include "core/builtinstrings.h"

namespace gravik::studentdb {

namespace {

CellStyle bordered(const QString &id, const QString &size, const QString &color)
{
    CellStyle s;
    s.id = id;
    s.vertical = QStringLiteral("Bottom");
    s.fontName = QStringLiteral("Times New Roman");
    s.charSet = QStringLiteral("204"); // Cyrillic
    s.fontFamily = QStringLiteral("Roman");
    s.fontSize = size;
    s.fontColor = color;
    s.interiorColor = QStringLiteral("#F0FFFF");
    s.interiorPattern = QStringLiteral("Solid");
    for (const char *side : {"Bottom", "Left", "Right", "Top"})
        s.borders.push_back({QString::fromLatin1(side), QStringLiteral("Continuous"), QStringLiteral("1"), {}});
    return s;
}

} // namespace

QStringList russianHeaders()
{
    QStringList headers;
    for (int line : {28, 29, 33, 30, 31, 32, 30, 31, 32, 34, 35, 16})
        headers << builtinstrings::text(line);
    return headers;
}

Workbook builtIn()
{
    Workbook book;
    CellStyle normal;
    normal.id = QStringLiteral("Default");
    normal.name = QStringLiteral("Normal");
    normal.vertical = QStringLiteral("Bottom");
    normal.fontName = QStringLiteral("Arial");
    normal.charSet = QStringLiteral("204");
    normal.fontSize = QStringLiteral("10");
    book.styles.push_back(normal);

    CellStyle headingCentred = bordered(QStringLiteral("HeadingCentred"), QStringLiteral("9"), QStringLiteral("#A52A2A"));
    headingCentred.horizontal = QStringLiteral("Center");
    headingCentred.bold = QStringLiteral("1");
    CellStyle heading = bordered(QStringLiteral("Heading"), QStringLiteral("9"), QStringLiteral("#A52A2A"));
    heading.bold = QStringLiteral("1");
    const CellStyle pupil = bordered(QStringLiteral("Pupil"), QStringLiteral("10"), QStringLiteral("#0000CD"));
    book.styles.push_back(headingCentred);
    book.styles.push_back(heading);
    book.styles.push_back(pupil);
    const int centredIx = 1, headingIx = 2, pupilIx = 3;

    Worksheet sheet;
    sheet.name = HeaderSheet;
    sheet.defaultRowHeight = DefaultRowHeight;
    for (double w : ColumnWidths)
        sheet.columns.push_back({w, -1, false});

    const QStringList texts = russianHeaders();
    // Row 1: three groups over merged cells, I1 empty.
    const int groupStart[] = {1, 4, 7};
    const int groupAcross[] = {2, 2, 1};
    for (int g = 0; g < 3; ++g) {
        sheet.setText(1, groupStart[g], texts[g]);
        SheetCell &c = sheet.cellAt(1, groupStart[g]);
        c.style = centredIx;
        c.mergeAcross = groupAcross[g];
    }
    sheet.cellAt(1, 9).style = headingIx;
    // Row 2: the column headings, A to F centred.
    for (int col = 1; col <= ColumnCount; ++col) {
        sheet.setText(2, col, texts[3 + col - 1]);
        sheet.cellAt(2, col).style = col <= 6 ? centredIx : headingIx;
    }
    sheet.formatsToEdit().push_back({FirstPupilRow, 1, LastBorderedRow, ColumnCount, pupilIx});
    book.sheets.push_back(std::move(sheet));
    return book;
}

} // namespace gravik::studentdb
