#pragma once

#include <QString>

#include <optional>
#include <vector>

// A spreadsheet workbook as plain data: worksheets of sparse rows and cells,
// merged ranges, styles, column widths and row heights. No widgets; the grid
// view and the file reader and writer work on it.
namespace gravik {

// Excel's limits; files that reach past them are refused rather than allocated.
constexpr int MaxSheetRows = 1048576;
constexpr int MaxSheetColumns = 16384;

enum class CellType : unsigned char { Empty, String, Number, Boolean, DateTime, Error };

struct SheetCell {
    int column = 0; // 1-based
    int style = -1; // index into Workbook::styles, -1: inherited
    int mergeAcross = 0;
    int mergeDown = 0;
    CellType type = CellType::Empty;
    QString text; // a Number holds its plain decimal text

    bool hasValue() const { return type != CellType::Empty; }
};

struct SheetRow {
    int index = 0;      // 1-based
    double height = 0;  // points; 0: the sheet's default
    int style = -1;
    bool hidden = false;
    std::vector<SheetCell> cells; // sorted by column
};

struct SheetColumn {
    double width = 0; // points; 0: the sheet's default
    int style = -1;
    bool hidden = false;
};

// Empty cells of a rectangle that take a style without being stored one by one
// (the bordered empty rows of the database).
struct FormatRange {
    int top = 0, left = 0, bottom = 0, right = 0; // 1-based, inclusive
    int style = -1;
    bool contains(int row, int column) const
    {
        return row >= top && row <= bottom && column >= left && column <= right;
    }
};

// Rows that take a height, a style and a hidden state without being stored
// one by one (the repeats of a row with ss:Span).
struct RowRange {
    int top = 0, bottom = 0; // 1-based, inclusive
    double height = 0;
    int style = -1;
    bool hidden = false;
};

struct Merge {
    int row = 0, column = 0, rows = 1, columns = 1;
};

struct CellStyle {
    struct Border {
        QString position, lineStyle, weight, color;
    };
    QString id, name;
    // Alignment
    QString horizontal, vertical, wrapText;
    // Font
    QString fontName, fontFamily, charSet, fontSize, bold, italic, underline, fontColor;
    // Interior
    QString interiorColor, interiorPattern;
    QString numberFormat;
    std::vector<Border> borders;

    // Fills what this style leaves unset from base.
    void inheritFrom(const CellStyle &base);
};

class Worksheet
{
public:
    QString name;
    std::vector<SheetRow> rows; // sorted by index
    std::vector<SheetColumn> columns; // columns[0] is column A
    std::vector<FormatRange> formats;
    std::vector<RowRange> rowRanges; // for rows not stored in rows
    double defaultRowHeight = 0;   // points; 0: not given
    double defaultColumnWidth = 0; // points; 0: not given
    int style = -1;

    const SheetRow *row(int index) const;
    SheetRow &rowAt(int index); // creates the row
    const SheetCell *cell(int row, int column) const;
    SheetCell &cellAt(int row, int column); // creates the cell

    // The cell's value as text; an empty or missing cell gives the empty text.
    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text, CellType type = CellType::String);

    // The style a cell shows: its own, else a format range's, the row's (a
    // stored row's, else a row range's), the column's, the table's; -1 when
    // none applies.
    int effectiveStyle(int row, int column) const;

    double columnWidth(int column) const; // points, 0: default
    double rowHeight(int row) const;      // points, 0: default
    const RowRange *rowRange(int row) const; // the first range holding an unstored row

    // The last row and column that hold anything: a cell, a merge, a format,
    // a column or row format, a row range.
    int usedRows() const;
    int usedColumns() const;

    std::vector<Merge> merges() const;
};

class Workbook
{
public:
    std::vector<CellStyle> styles;
    std::vector<Worksheet> sheets;
    int activeSheet = 0;

    int styleIndex(const QString &id) const; // -1 when there is no such style
    const Worksheet *sheet(const QString &name) const;
    Worksheet *sheet(const QString &name);
    const Worksheet *active() const;
    Worksheet *active();
};

// "A1" style reference, letters then digits; "$" marks are allowed.
struct CellRef {
    int row = 0, column = 0;
};
std::optional<CellRef> parseCellRef(QStringView a1);
QString columnName(int column); // 1 -> "A", 27 -> "AA"

// The plain decimal text of a number written in XML Schema double form:
// "125.0" and "1.25E+2" give "125", "-0.50" gives "-0.5". nullopt when the text
// is not such a number (NaN and INF included).
std::optional<QString> plainDecimal(QStringView text);

} // namespace gravik
