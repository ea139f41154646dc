#pragma once

#include <QString>
#include <QStringView>

#include <memory>
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

// A cell's text: characters kept in its worksheet's TextStore, not a string
// of its own (a million QStrings cost a million allocations and twice the
// bytes). Valid while that worksheet, or a copy of it, lives; cells with the
// same value may share one.
class CellText
{
public:
    QStringView view() const { return QStringView(m_data, qsizetype(m_size)); }
    QString toString() const { return view().toString(); }
    bool isEmpty() const { return m_size == 0; }

private:
    friend class TextStore;
    const char16_t *m_data = nullptr;
    quint32 m_size = 0;
};

// The characters of a worksheet's cells, in large blocks that are never moved
// nor changed once written: copies of a sheet share them.
class TextStore
{
public:
    CellText add(QStringView text);
    // Room for n characters; finish() keeps the first m of them as one text.
    // Until then the next reserve() or add() may reuse the room.
    char16_t *reserve(size_t n);
    CellText finish(size_t m);

private:
    std::vector<std::shared_ptr<char16_t[]>> m_blocks;
    size_t m_used = 0, m_capacity = 0;
};

struct SheetCell {
    CellText text; // a Number holds its plain decimal text
    int column = 0; // 1-based
    int style = -1; // index into Workbook::styles, -1: inherited
    int mergeAcross = 0;
    int mergeDown = 0;
    CellType type = CellType::Empty;

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
    double defaultRowHeight = 0;   // points; 0: not given
    double defaultColumnWidth = 0; // points; 0: not given
    int style = -1;
    TextStore texts; // of the cells

    // Lookups go through an index of the ranges, made on first need: the
    // non-const accessors drop it (do not keep what they return).
    const std::vector<FormatRange> &formats() const { return m_formats; }
    std::vector<FormatRange> &formatsToEdit();
    const std::vector<RowRange> &rowRanges() const { return m_rowRanges; } // for rows not stored in rows
    std::vector<RowRange> &rowRangesToEdit();

    const SheetRow *row(int index) const;
    SheetRow &rowAt(int index); // creates the row
    const SheetCell *cell(int row, int column) const;
    SheetCell &cellAt(int row, int column); // creates the cell

    // The cell's value as text; an empty or missing cell gives the empty text.
    QString text(int row, int column) const { return textView(row, column).toString(); }
    QStringView textView(int row, int column) const; // valid until the sheet changes
    void setText(int row, int column, QStringView text, CellType type = CellType::String);

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

private:
    struct RangeIndex;
    const RangeIndex &rangeIndex() const;

    std::vector<FormatRange> m_formats;
    std::vector<RowRange> m_rowRanges;
    mutable std::shared_ptr<const RangeIndex> m_index; // of the two above
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
