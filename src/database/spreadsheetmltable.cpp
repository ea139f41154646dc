// The Table part of the reader: columns, rows, cells and their values, and
// the table put in order once it is read.
#include "database/spreadsheetmlelements.h"

#include "core/cp1251.h"

#include <algorithm>

namespace gravik::spreadsheetml::elements {

namespace {

double points(std::string_view v)
{
    bool ok = false;
    const double d = QByteArray::fromRawData(v.data(), qsizetype(v.size())).toDouble(&ok);
    return ok && d > 0 && d < 1e6 ? d : 0;
}

bool truth(std::string_view v) { return v == "1" || v == "true"; }

// Digits alone, without a leading zero: a number already in its plain form.
bool plainDigits(std::string_view v)
{
    if (v.empty() || v.size() > 15 || (v[0] == '0' && v.size() > 1))
        return false;
    return std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A file need not list rows or cells in order: they are sorted once the
// table is read, which keeps a reversed file as cheap as an ordered one.
// A later cell for the same place replaces an earlier one.
void sortCells(std::vector<SheetCell> &cells)
{
    if (std::adjacent_find(cells.begin(), cells.end(),
                           [](const SheetCell &a, const SheetCell &b) { return a.column >= b.column; })
        == cells.end())
        return;
    std::stable_sort(cells.begin(), cells.end(),
                     [](const SheetCell &a, const SheetCell &b) { return a.column < b.column; });
    size_t out = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i + 1 < cells.size() && cells[i + 1].column == cells[i].column)
            continue;
        cells[out++] = cells[i];
    }
    cells.resize(out);
}

// A row read twice takes the later format, and the cells of both.
void sortRows(std::vector<SheetRow> &rows)
{
    if (std::adjacent_find(rows.begin(), rows.end(),
                           [](const SheetRow &a, const SheetRow &b) { return a.index >= b.index; })
        == rows.end())
        return;
    std::stable_sort(rows.begin(), rows.end(), [](const SheetRow &a, const SheetRow &b) { return a.index < b.index; });
    size_t out = 0;
    for (size_t i = 0; i < rows.size();) {
        size_t j = i + 1;
        while (j < rows.size() && rows[j].index == rows[i].index)
            ++j;
        SheetRow merged = std::move(rows[j - 1]);
        if (j - i > 1) {
            std::vector<SheetCell> cells;
            for (size_t k = i; k + 1 < j; ++k)
                cells.insert(cells.end(), rows[k].cells.begin(), rows[k].cells.end());
            cells.insert(cells.end(), merged.cells.begin(), merged.cells.end());
            sortCells(cells);
            merged.cells = std::move(cells);
        }
        rows[out++] = std::move(merged);
        i = j;
    }
    rows.resize(out);
}

// Long runs of rows that hold nothing but empty styled cells (a bordered
// blank table waiting to be filled) are kept as format ranges, not cell by cell.
void compactBlankRows(Worksheet &sheet)
{
    constexpr size_t minRun = 8;
    auto blank = [](const SheetRow &r) {
        if (r.height > 0 || r.style >= 0 || r.hidden || r.cells.empty())
            return false;
        for (const SheetCell &c : r.cells)
            if (c.hasValue() || c.mergeAcross > 0 || c.mergeDown > 0 || c.style < 0)
                return false;
        return true;
    };
    auto alike = [](const SheetRow &a, const SheetRow &b) {
        if (a.cells.size() != b.cells.size())
            return false;
        for (size_t k = 0; k < a.cells.size(); ++k)
            if (a.cells[k].column != b.cells[k].column || a.cells[k].style != b.cells[k].style)
                return false;
        return true;
    };
    std::vector<SheetRow> &rows = sheet.rows;
    if (std::none_of(rows.begin(), rows.end(), blank))
        return;
    std::vector<SheetRow> kept;
    kept.reserve(rows.size());
    size_t i = 0;
    while (i < rows.size()) {
        if (!blank(rows[i])) {
            kept.push_back(std::move(rows[i++]));
            continue;
        }
        size_t j = i + 1;
        while (j < rows.size() && rows[j].index == rows[j - 1].index + 1 && blank(rows[j]) && alike(rows[i], rows[j]))
            ++j;
        if (j - i >= minRun) {
            const std::vector<SheetCell> &cells = rows[i].cells;
            for (size_t k = 0; k < cells.size();) {
                size_t m = k + 1;
                while (m < cells.size() && cells[m].column == cells[m - 1].column + 1 && cells[m].style == cells[k].style)
                    ++m;
                sheet.formatsToEdit().push_back({rows[i].index, cells[k].column, rows[j - 1].index,
                                                 cells[m - 1].column, cells[k].style});
                k = m;
            }
        } else {
            for (size_t k = i; k < j; ++k)
                kept.push_back(std::move(rows[k]));
        }
        i = j;
    }
    rows = std::move(kept);
}

} // namespace

Reader::Ctx Reader::readTable(const Name &, const Attributes &attributes)
{
    attributes.forEach([&](const Name &a, std::string_view v) {
        if (a.ssAttribute("StyleID"))
            m_sheet.style = styleOf(v);
        else if (a.ssAttribute("DefaultRowHeight"))
            m_sheet.defaultRowHeight = points(v);
        else if (a.ssAttribute("DefaultColumnWidth"))
            m_sheet.defaultColumnWidth = points(v);
    });
    m_rowEnd = 0;
    m_columnEnd = 0;
    m_columns.clear();
    return Ctx::Table;
}

void Reader::endTable()
{
    sortRows(m_sheet.rows);
    compactBlankRows(m_sheet);
    applyColumns();
}

Reader::Ctx Reader::readColumn(const Name &, const Attributes &attributes)
{
    int index = m_columnEnd + 1, span = 0;
    SheetColumn col;
    attributes.forEach([&](const Name &a, std::string_view v) {
        if (a.ssAttribute("Index"))
            index = intIn(v, 1, MaxSheetColumns, "Номер столбца ss:Index");
        else if (a.ssAttribute("Span"))
            span = intIn(v, 0, MaxSheetColumns, "Повтор столбца ss:Span");
        else if (a.ssAttribute("Width"))
            col.width = points(v);
        else if (a.ssAttribute("StyleID"))
            col.style = styleOf(v);
        else if (a.ssAttribute("Hidden"))
            col.hidden = truth(v);
    });
    const int last = std::min(index + span, MaxSheetColumns);
    if (index <= last)
        m_columns.push_back({index, last, col});
    m_columnEnd = last;
    return Ctx::Ignore;
}

// The table's columns, later elements over earlier ones: each column is
// written once however long the spans, so a file of many wide spans costs
// what the sheet has columns.
void Reader::applyColumns()
{
    if (m_columns.empty())
        return;
    int width = 0;
    for (const PendingColumn &c : m_columns)
        width = std::max(width, c.last);
    if (int(m_sheet.columns.size()) < width)
        m_sheet.columns.resize(size_t(width));
    std::vector<int> next(size_t(width) + 2); // the first column from i not yet written
    for (int i = 0; i <= width + 1; ++i)
        next[size_t(i)] = i;
    auto find = [&](int i) {
        int r = i;
        while (next[size_t(r)] != r)
            r = next[size_t(r)];
        while (next[size_t(i)] != r) {
            const int n = next[size_t(i)];
            next[size_t(i)] = r;
            i = n;
        }
        return r;
    };
    for (auto it = m_columns.rbegin(); it != m_columns.rend(); ++it)
        for (int i = find(it->index); i <= it->last; i = find(i)) {
            m_sheet.columns[size_t(i - 1)] = it->column;
            next[size_t(i)] = i + 1;
        }
    m_columns.clear();
}

Reader::Ctx Reader::readRow(const Name &, const Attributes &attributes)
{
    m_row = SheetRow();
    m_row.index = m_rowEnd + 1;
    m_rowSpan = 0;
    attributes.forEach([&](const Name &a, std::string_view v) {
        if (a.ssAttribute("Index"))
            m_row.index = intIn(v, 1, MaxSheetRows, "Номер строки ss:Index");
        else if (a.ssAttribute("Span"))
            m_rowSpan = intIn(v, 0, MaxSheetRows, "Повтор строки ss:Span");
        else if (a.ssAttribute("Height"))
            m_row.height = points(v);
        else if (a.ssAttribute("StyleID"))
            m_row.style = styleOf(v);
        else if (a.ssAttribute("Hidden"))
            m_row.hidden = truth(v);
    });
    if (m_row.index > MaxSheetRows)
        fail(QStringLiteral("номер строки больше %1").arg(MaxSheetRows));
    m_cells.clear();
    m_cellEnd = 0;
    return Ctx::Row;
}

void Reader::endRow()
{
    const int index = m_row.index;
    const int last = std::min(index + m_rowSpan, MaxSheetRows);
    m_rowEnd = last;
    const bool formatted = m_row.height > 0 || m_row.style >= 0 || m_row.hidden;
    if (!formatted && m_cells.empty())
        return;
    // A repeated row (ss:Span) repeats its format, not its values: the rows
    // after the first take its height, hidden state and styles as ranges,
    // at no cost per row; only the first holds its cells.
    sortCells(m_cells);
    if (last > index) {
        if (formatted)
            m_sheet.rowRangesToEdit().push_back({index + 1, last, m_row.height, m_row.style, m_row.hidden});
        for (size_t k = 0; k < m_cells.size();) {
            size_t m = k + 1;
            while (m < m_cells.size() && m_cells[m].column == m_cells[m - 1].column + 1
                   && m_cells[m].style == m_cells[k].style)
                ++m;
            if (m_cells[k].style >= 0)
                m_sheet.formatsToEdit().push_back(
                    {index + 1, m_cells[k].column, last, m_cells[m - 1].column, m_cells[k].style});
            k = m;
        }
    }
    m_row.cells.assign(m_cells.begin(), m_cells.end()); // as many as the row holds, no more
    m_sheet.rows.push_back(std::move(m_row));
}

Reader::Ctx Reader::readCell(const Name &, const Attributes &attributes)
{
    m_cell = SheetCell();
    int index = m_cellEnd + 1;
    attributes.forEach([&](const Name &a, std::string_view v) {
        if (a.ssAttribute("Index"))
            index = intIn(v, 1, MaxSheetColumns, "Номер столбца ss:Index");
        else if (a.ssAttribute("StyleID"))
            m_cell.style = styleOf(v);
        else if (a.ssAttribute("MergeAcross"))
            m_cell.mergeAcross = intIn(v, 0, MaxSheetColumns - 1, "Объединение ss:MergeAcross");
        else if (a.ssAttribute("MergeDown"))
            m_cell.mergeDown = intIn(v, 0, MaxSheetRows - 1, "Объединение ss:MergeDown");
    });
    if (index > MaxSheetColumns)
        fail(QStringLiteral("номер столбца больше %1").arg(MaxSheetColumns));
    m_cell.column = index;
    m_cell.mergeAcross = std::min(m_cell.mergeAcross, MaxSheetColumns - index);
    return Ctx::Cell;
}

void Reader::endCell()
{
    m_cellEnd = m_cell.column + m_cell.mergeAcross;
    m_cells.push_back(m_cell);
}

Reader::Ctx Reader::readData(const Name &, const Attributes &attributes)
{
    m_dataType = CellType::String;
    attributes.forEach([&](const Name &a, std::string_view t) {
        if (a.ssAttribute("Type"))
            m_dataType = t == "Number"     ? CellType::Number
                         : t == "Boolean"  ? CellType::Boolean
                         : t == "DateTime" ? CellType::DateTime
                         : t == "Error"    ? CellType::Error
                                           : CellType::String;
    });
    beginText();
    return Ctx::Data;
}

void Reader::endData()
{
    SheetCell &cell = m_cell;
    const std::string_view bytes = m_text;
    if (bytes.empty()) {
        cell.type = CellType::Empty;
        cell.text = CellText();
        return;
    }
    TextStore &store = m_sheet.texts;
    if (m_dataType == CellType::Number && plainDigits(bytes)) {
        char16_t *d = store.reserve(bytes.size());
        for (size_t i = 0; i < bytes.size(); ++i)
            d[i] = char16_t(bytes[i]);
        cell.text = store.finish(bytes.size());
        cell.type = CellType::Number;
        return;
    }
    // Values repeat down a column (a class teacher, a class): a text equal
    // to the one above shares its characters.
    Above *above = nullptr;
    if (m_dataType != CellType::Number) {
        if (cell.column > int(m_above.size()))
            m_above.resize(size_t(cell.column));
        above = &m_above[size_t(cell.column - 1)];
        if (above->bytes == bytes && !above->text.isEmpty()) {
            cell.text = above->text;
            cell.type = m_dataType;
            return;
        }
    }
    char16_t *d = store.reserve(bytes.size());
    const size_t n = decode(bytes, d);
    cell.type = m_dataType;
    if (m_dataType == CellType::Number) {
        if (const auto plain = plainDecimal(QStringView(d, qsizetype(n)))) {
            cell.text = store.add(*plain);
            return;
        }
        cell.type = CellType::String; // not a number after all: keep the text
    }
    cell.text = store.finish(n);
    if (above) {
        above->bytes.assign(bytes);
        above->text = cell.text;
    }
}

// UTF-8 into UTF-16 at d, the stand-ins as Kazakh letters (ќ is қ); the
// letters of a name are one or two bytes each, anything else is Qt's.
size_t Reader::decode(std::string_view bytes, char16_t *d)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const unsigned char *e = p + bytes.size();
    char16_t *o = d;
    bool standIn = false;
    while (p < e) {
        const unsigned c = *p;
        if (c < 0x80) {
            *o++ = char16_t(c);
            ++p;
        } else if (c >= 0xC2 && c < 0xE0 && p + 1 < e && (p[1] & 0xC0) == 0x80) {
            const char16_t u = char16_t(((c & 0x1F) << 6) | (p[1] & 0x3F));
            // The stand-ins are in U+0400..U+040F, U+0450..U+045F and U+0490..U+0491.
            standIn |= (u & 0xFFF0) == 0x0400 || (u & 0xFFF0) == 0x0450 || (u & 0xFFFE) == 0x0490;
            *o++ = u;
            p += 2;
        } else {
            const QByteArrayView rest(reinterpret_cast<const char *>(p), e - p);
            o = reinterpret_cast<char16_t *>(m_utf8.appendToBuffer(reinterpret_cast<QChar *>(o), rest));
            standIn = true;
            break;
        }
    }
    const size_t n = size_t(o - d);
    if (standIn)
        cp1251::kazakhLetters(d, qsizetype(n));
    return n;
}

} // namespace gravik::spreadsheetml::elements
