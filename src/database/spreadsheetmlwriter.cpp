#include "database/spreadsheetmlwriter.h"

#include "core/atomicfile.h"
#include "core/cp1251.h"
#include "database/spreadsheetmlformat.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace gravik::spreadsheetml {

namespace {


// UTF-8 straight into the output, escaped on the way: no buffer per value.
void appendEscaped(QByteArray &out, QStringView text, bool attribute)
{
    const qsizetype n = text.size();
    const char16_t *u = reinterpret_cast<const char16_t *>(text.constData());
    qsizetype at = out.size();
    out.resize(at + n * 3 + 16); // room for the common case; grown below when escapes need more
    char *p = out.data();
    auto room = [&](qsizetype need) {
        if (at + need > out.size()) {
            out.resize(std::max(out.size() * 2, at + need + 64));
            p = out.data();
        }
    };
    auto put = [&](const char *s, qsizetype len) {
        room(len);
        std::memcpy(p + at, s, size_t(len));
        at += len;
    };
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = u[i];
        if (c < 0x80) {
            switch (c) {
            case '&': put("&amp;", 5); continue;
            case '<': put("&lt;", 4); continue;
            case '>': put("&gt;", 4); continue;
            case '"':
                if (attribute) {
                    put("&quot;", 6);
                    continue;
                }
                break;
            case '\n': put("&#10;", 5); continue;
            case '\r': put("&#13;", 5); continue;
            case '\t':
                if (attribute) {
                    put("&#9;", 4);
                    continue;
                }
                break;
            default:
                if (c < 0x20)
                    continue; // a control character XML cannot carry
            }
            room(1);
            p[at++] = char(c);
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(u[i + 1])) {
            c = QChar::surrogateToUcs4(char16_t(c), u[++i]);
        } else if (QChar::isSurrogate(c) || c == 0xFFFE || c == 0xFFFF) {
            continue; // not a character XML can carry
        }
        if (!attribute)
            c = cp1251::storedForm(c); // cells keep the stored forms (ќ for қ)
        room(4);
        if (c < 0x800) {
            p[at++] = char(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            p[at++] = char(0xE0 | (c >> 12));
            p[at++] = char(0x80 | ((c >> 6) & 0x3F));
        } else {
            p[at++] = char(0xF0 | (c >> 18));
            p[at++] = char(0x80 | ((c >> 12) & 0x3F));
            p[at++] = char(0x80 | ((c >> 6) & 0x3F));
        }
        p[at++] = char(0x80 | (c & 0x3F));
    }
    out.truncate(at);
}

void attr(QByteArray &out, const char *name, const QString &value)
{
    if (value.isEmpty())
        return;
    out += ' ';
    out += name;
    out += "=\"";
    appendEscaped(out, value, true);
    out += '"';
}

void attr(QByteArray &out, const char *name, long long value)
{
    out += ' ';
    out += name;
    out += "=\"";
    out += QByteArray::number(value);
    out += '"';
}

QByteArray decimal(double v)
{
    QByteArray s = QByteArray::number(v, 'f', 4);
    while (s.endsWith('0'))
        s.chop(1);
    if (s.endsWith('.'))
        s.chop(1);
    return s;
}

void attrPoints(QByteArray &out, const char *name, double value)
{
    out += ' ';
    out += name;
    out += "=\"";
    out += decimal(value);
    out += '"';
}

const char *typeName(CellType t)
{
    switch (t) {
    case CellType::Number: return "Number";
    case CellType::Boolean: return "Boolean";
    case CellType::DateTime: return "DateTime";
    case CellType::Error: return "Error";
    default: return "String";
    }
}

void writePart(QByteArray &out, const CellStyle &s, StylePart part)
{
    auto attributes = [&](auto &&f) {
        for (const StyleAttribute &t : StyleAttributes)
            if (t.part == part)
                f(t);
    };
    bool any = false;
    attributes([&](const StyleAttribute &t) { any = any || !(s.*t.field).isEmpty(); });
    if (!any)
        return;
    out += '<';
    out += partName(part);
    attributes([&](const StyleAttribute &t) {
        attr(out, (QByteArray(t.excel ? "x:" : "ss:") + t.name).constData(), s.*t.field);
    });
    out += "/>";
}

void writeStyle(QByteArray &out, const CellStyle &s)
{
    out += "  <Style";
    attr(out, "ss:ID", s.id);
    attr(out, "ss:Name", s.name);
    out += ">";
    for (StylePart part : StyleParts) {
        writePart(out, s, part);
        if (part != StylePart::Alignment || s.borders.empty())
            continue;
        out += "<Borders>";
        for (const CellStyle::Border &b : s.borders) {
            out += "<Border";
            for (const BorderAttribute &t : BorderAttributes)
                attr(out, (QByteArray("ss:") + t.name).constData(), b.*t.field);
            out += "/>";
        }
        out += "</Borders>";
    }
    out += "</Style>\n";
}

// One cell as it goes to the file: a stored cell, or an empty one a format range styles.
struct OutCell {
    const SheetCell *stored = nullptr;
    int column = 0;
    int style = -1;
};

class SheetWriter
{
public:
    SheetWriter(QByteArray &out, const Workbook &book, const Worksheet &sheet)
        : m_out(out), m_book(book), m_sheet(sheet)
    {
    }

    void write(bool selected)
    {
        m_out += " <Worksheet";
        attr(m_out, "ss:Name", m_sheet.name);
        m_out += ">\n  <Table";
        attr(m_out, "ss:ExpandedColumnCount", std::max(1, m_sheet.usedColumns()));
        attr(m_out, "ss:ExpandedRowCount", std::max(1, m_sheet.usedRows()));
        m_out += " x:FullColumns=\"1\" x:FullRows=\"1\"";
        writeStyleRef(m_sheet.style);
        if (m_sheet.defaultColumnWidth > 0)
            attrPoints(m_out, "ss:DefaultColumnWidth", m_sheet.defaultColumnWidth);
        if (m_sheet.defaultRowHeight > 0)
            attrPoints(m_out, "ss:DefaultRowHeight", m_sheet.defaultRowHeight);
        m_out += ">\n";
        writeColumns();
        writeRows();
        m_out += "  </Table>\n  <WorksheetOptions xmlns=\"urn:schemas-microsoft-com:office:excel\">";
        if (selected)
            m_out += "<Selected/>";
        m_out += "<ProtectObjects>False</ProtectObjects><ProtectScenarios>False</ProtectScenarios>"
                 "</WorksheetOptions>\n </Worksheet>\n";
    }

private:
    bool validStyle(int s) const { return s >= 0 && s < int(m_book.styles.size()); }

    void writeStyleRef(int s)
    {
        if (validStyle(s))
            attr(m_out, "ss:StyleID", m_book.styles[size_t(s)].id);
    }

    void writeColumns()
    {
        int expected = 1;
        for (int i = 1; i <= int(m_sheet.columns.size()); ++i) {
            const SheetColumn &c = m_sheet.columns[size_t(i - 1)];
            if (c.width <= 0 && !validStyle(c.style) && !c.hidden)
                continue;
            m_out += "   <Column";
            if (i != expected)
                attr(m_out, "ss:Index", i);
            writeStyleRef(c.style);
            if (c.hidden)
                m_out += " ss:Hidden=\"1\"";
            if (c.width > 0) {
                m_out += " ss:AutoFitWidth=\"0\"";
                attrPoints(m_out, "ss:Width", c.width);
            }
            m_out += "/>\n";
            expected = i + 1;
        }
    }

    // The cells of one row in file order: the stored ones and those the active
    // format ranges style, without those a merge covers.
    void collect(int row, const SheetRow *stored, std::vector<OutCell> &cells)
    {
        cells.clear();
        auto covered = [&](int column) {
            for (const Merge &m : m_downs)
                if (row > m.row && row < m.row + m.rows && column >= m.column && column < m.column + m.columns)
                    return true;
            return false;
        };
        size_t s = 0, f = 0;
        const size_t ns = stored ? stored->cells.size() : 0;
        const std::vector<std::pair<int, int>> &formatted = m_formatCells;
        int coveredTo = 0; // by a merge across in this row
        while (s < ns || f < formatted.size()) {
            const SheetCell *sc = s < ns ? &stored->cells[s] : nullptr;
            const int fc = f < formatted.size() ? formatted[f].first : INT_MAX;
            OutCell oc;
            if (sc && sc->column <= fc) {
                oc.stored = sc;
                oc.column = sc->column;
                oc.style = validStyle(sc->style) ? sc->style : (sc->column == fc ? formatted[f].second : -1);
                ++s;
                if (sc->column == fc)
                    ++f;
            } else {
                oc.column = fc;
                oc.style = formatted[f].second;
                ++f;
            }
            if (oc.column <= coveredTo || covered(oc.column))
                continue;
            const bool merged = oc.stored && (oc.stored->mergeAcross > 0 || oc.stored->mergeDown > 0);
            if (!merged && oc.style < 0 && !(oc.stored && oc.stored->hasValue()))
                continue;
            if (oc.stored && oc.stored->mergeAcross > 0)
                coveredTo = oc.column + oc.stored->mergeAcross;
            if (oc.stored && oc.stored->mergeDown > 0)
                m_downs.push_back({row, oc.column, oc.stored->mergeDown + 1, oc.stored->mergeAcross + 1});
            cells.push_back(oc);
        }
    }

    void writeCells(const std::vector<OutCell> &cells)
    {
        int expected = 1;
        for (const OutCell &oc : cells) {
            m_out += "<Cell";
            if (oc.column != expected)
                attr(m_out, "ss:Index", oc.column);
            writeStyleRef(oc.style);
            int across = 0;
            if (oc.stored) {
                across = oc.stored->mergeAcross;
                if (across > 0)
                    attr(m_out, "ss:MergeAcross", across);
                if (oc.stored->mergeDown > 0)
                    attr(m_out, "ss:MergeDown", oc.stored->mergeDown);
            }
            if (oc.stored && oc.stored->hasValue()) {
                m_out += "><Data ss:Type=\"";
                m_out += typeName(oc.stored->type);
                m_out += "\">";
                appendEscaped(m_out, oc.stored->text.view(), false);
                m_out += "</Data></Cell>";
            } else {
                m_out += "/>";
            }
            expected = oc.column + across + 1;
        }
    }

    void openRow(int index, int expected, double height, int style, bool hidden)
    {
        m_out += "   <Row";
        if (index != expected)
            attr(m_out, "ss:Index", index);
        if (height > 0) {
            m_out += " ss:AutoFitHeight=\"0\"";
            attrPoints(m_out, "ss:Height", height);
        }
        writeStyleRef(style);
        if (hidden)
            m_out += " ss:Hidden=\"1\"";
    }

    void writeRow(int index, int span, int expected, double height, int style, bool hidden,
                  const std::vector<OutCell> &cells)
    {
        openRow(index, expected, height, style, hidden);
        if (span > 0)
            attr(m_out, "ss:Span", span);
        if (cells.empty()) {
            m_out += "/>\n";
        } else {
            m_out += ">";
            writeCells(cells);
            m_out += "</Row>\n";
        }
    }

    // Rows go out in stretches over which nothing changes: a stored row is a
    // stretch of its own, and elsewhere a stretch ends where a format range, a
    // row range or a merge down starts or ends. The work and the bytes go by
    // stretches and cells, never by how many rows a range covers.
    void writeRows()
    {
        const std::vector<FormatRange> &formats = m_sheet.formats();
        const std::vector<RowRange> &ranges = m_sheet.rowRanges();
        std::vector<int> bounds;
        bounds.reserve(2 * (m_sheet.rows.size() + formats.size() + ranges.size()));
        auto bound = [&](long long r) {
            if (r >= 1 && r <= MaxSheetRows + 1)
                bounds.push_back(int(r));
        };
        for (const SheetRow &r : m_sheet.rows) {
            bound(r.index);
            bound(r.index + 1);
            for (const SheetCell &c : r.cells)
                if (c.mergeDown > 0)
                    bound(r.index + 1LL + c.mergeDown);
        }
        std::vector<int> formatsByTop, rangesByTop;
        for (int i = 0; i < int(formats.size()); ++i)
            if (validStyle(formats[size_t(i)].style) && formats[size_t(i)].top <= formats[size_t(i)].bottom) {
                formatsByTop.push_back(i);
                bound(formats[size_t(i)].top);
                bound(formats[size_t(i)].bottom + 1LL);
            }
        for (int i = 0; i < int(ranges.size()); ++i) {
            rangesByTop.push_back(i);
            bound(ranges[size_t(i)].top);
            bound(ranges[size_t(i)].bottom + 1LL);
        }
        std::sort(bounds.begin(), bounds.end());
        bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
        std::stable_sort(formatsByTop.begin(), formatsByTop.end(),
                         [&](int a, int b) { return formats[size_t(a)].top < formats[size_t(b)].top; });
        std::stable_sort(rangesByTop.begin(), rangesByTop.end(),
                         [&](int a, int b) { return ranges[size_t(a)].top < ranges[size_t(b)].top; });

        // The ranges that hold the current stretch, in the sheet's order: the first one counts.
        std::vector<int> activeFormats, activeRanges;
        size_t nextFormat = 0, nextRange = 0;
        auto advance = [](std::vector<int> &active, size_t &next, const std::vector<int> &byTop, int row,
                          auto top, auto bottom) {
            bool changed = false;
            for (; next < byTop.size() && top(byTop[next]) <= row; ++next) {
                active.push_back(byTop[next]);
                changed = true;
            }
            const size_t before = active.size();
            active.erase(std::remove_if(active.begin(), active.end(), [&](int i) { return bottom(i) < row; }),
                         active.end());
            if (changed)
                std::sort(active.begin(), active.end());
            return changed || active.size() != before;
        };

        long long budget = ExpandedCellBudget;
        int expected = 1;
        std::vector<OutCell> cells;
        auto stored = m_sheet.rows.begin();
        for (size_t b = 0; b + 1 < bounds.size(); ++b) {
            const int top = bounds[b], rows = bounds[b + 1] - top;
            if (advance(activeFormats, nextFormat, formatsByTop, top,
                        [&](int i) { return formats[size_t(i)].top; }, [&](int i) { return formats[size_t(i)].bottom; }))
                formatCells(activeFormats);
            advance(activeRanges, nextRange, rangesByTop, top, [&](int i) { return ranges[size_t(i)].top; },
                    [&](int i) { return ranges[size_t(i)].bottom; });
            while (stored != m_sheet.rows.end() && stored->index < top)
                ++stored;
            const SheetRow *r = stored != m_sheet.rows.end() && stored->index == top ? &*stored : nullptr;
            const RowRange *rr = !r && !activeRanges.empty() ? &ranges[size_t(activeRanges.front())] : nullptr;
            collect(top, r, cells);
            const double height = r ? r->height : rr ? rr->height : 0;
            const int style = r ? r->style : rr ? rr->style : -1;
            const bool hidden = r ? r->hidden : rr && rr->hidden;
            if (cells.empty() && height <= 0 && !validStyle(style) && !hidden) {
                pruneDowns(top + rows - 1);
                continue;
            }
            const long long cost = rows * std::max<long long>(1, qsizetype(cells.size()));
            if (rows > 1 && cost > budget) {
                // Other programs ignore repeated rows or read them differently, so
                // only what no budget can afford goes out as one.
                writeRow(top, rows - 1, expected, height, style, hidden, cells);
            } else {
                if (!r)
                    budget -= cost;
                for (int i = 0; i < rows; ++i)
                    writeRow(top + i, 0, i == 0 ? expected : top + i, height, style, hidden, cells);
            }
            expected = top + rows;
            pruneDowns(top + rows - 1);
        }
    }

    // The columns the active format ranges style, each with the first range's style.
    void formatCells(const std::vector<int> &active)
    {
        m_formatCells.clear();
        for (int i : active) {
            const FormatRange &f = m_sheet.formats()[size_t(i)];
            for (int c = std::max(1, f.left); c <= std::min(f.right, MaxSheetColumns); ++c)
                m_formatCells.push_back({c, f.style});
        }
        std::stable_sort(m_formatCells.begin(), m_formatCells.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        m_formatCells.erase(std::unique(m_formatCells.begin(), m_formatCells.end(),
                                        [](const auto &a, const auto &b) { return a.first == b.first; }),
                            m_formatCells.end());
    }

    void pruneDowns(int row)
    {
        m_downs.erase(std::remove_if(m_downs.begin(), m_downs.end(),
                                     [&](const Merge &m) { return m.row + m.rows - 1 <= row; }),
                      m_downs.end());
    }

    // Bordered empty rows cost a cell each up to this many cells in all (the
    // built-in grid's 1640 rows of nine fit many times over).
    static constexpr long long ExpandedCellBudget = 1 << 17;

    QByteArray &m_out;
    const Workbook &m_book;
    const Worksheet &m_sheet;
    std::vector<Merge> m_downs; // merges down still covering rows below
    std::vector<std::pair<int, int>> m_formatCells; // column, style: what the active format ranges style
};

} // namespace

QByteArray write(const Workbook &book)
{
    QByteArray out;
    qsizetype cells = 0;
    for (const Worksheet &s : book.sheets)
        for (const SheetRow &r : s.rows)
            cells += qsizetype(r.cells.size());
    out.reserve(4096 + cells * 80);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<?mso-application progid=\"Excel.Sheet\"?>\n"
           "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"\n"
           " xmlns:o=\"urn:schemas-microsoft-com:office:office\"\n"
           " xmlns:x=\"urn:schemas-microsoft-com:office:excel\"\n"
           " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"\n"
           " xmlns:c=\"urn:schemas-microsoft-com:office:component:spreadsheet\"\n"
           " xmlns:html=\"http://www.w3.org/TR/REC-html40\">\n";
    const int active = book.active() ? int(book.active() - book.sheets.data()) : 0;
    if (active != 0) {
        out += " <ExcelWorkbook xmlns=\"urn:schemas-microsoft-com:office:excel\"><ActiveSheet>";
        out += QByteArray::number(active);
        out += "</ActiveSheet></ExcelWorkbook>\n";
    }
    if (!book.styles.empty()) {
        out += " <Styles>\n";
        for (const CellStyle &s : book.styles)
            writeStyle(out, s);
        out += " </Styles>\n";
    }
    for (int i = 0; i < int(book.sheets.size()); ++i)
        SheetWriter(out, book, book.sheets[size_t(i)]).write(i == active);
    out += "</Workbook>\n";
    return out;
}

bool writeFile(const QString &path, const Workbook &book, QString *error)
{
    return writeFileAtomically(path, write(book), error);
}

} // namespace gravik::spreadsheetml
