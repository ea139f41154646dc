#include "database/spreadsheetmlwriter.h"

#include "core/atomicfile.h"
#include "database/spreadsheetmlformat.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace gravik::spreadsheetml {

namespace {


// UTF-8 straight into the output, escaped on the way: no buffer per value.
void appendEscaped(QByteArray &out, const QString &text, bool attribute)
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

    int rangeStyle(int row, int column) const
    {
        for (const FormatRange &f : m_sheet.formats)
            if (f.contains(row, column) && validStyle(f.style))
                return f.style;
        return -1;
    }

    // The cells of one row in file order, without those a merge covers.
    void collect(int row, const SheetRow *stored, std::vector<OutCell> &cells)
    {
        cells.clear();
        std::vector<int> formatColumns;
        for (const FormatRange &f : m_sheet.formats)
            if (row >= f.top && row <= f.bottom && validStyle(f.style))
                for (int c = f.left; c <= f.right; ++c)
                    formatColumns.push_back(c);
        std::sort(formatColumns.begin(), formatColumns.end());
        formatColumns.erase(std::unique(formatColumns.begin(), formatColumns.end()), formatColumns.end());

        auto covered = [&](int column) {
            for (const Merge &m : m_downs)
                if (row > m.row && row < m.row + m.rows && column >= m.column && column < m.column + m.columns)
                    return true;
            return false;
        };
        size_t s = 0, f = 0;
        const size_t ns = stored ? stored->cells.size() : 0;
        int coveredTo = 0; // by a merge across in this row
        while (s < ns || f < formatColumns.size()) {
            const SheetCell *sc = s < ns ? &stored->cells[s] : nullptr;
            const int fc = f < formatColumns.size() ? formatColumns[f] : INT_MAX;
            OutCell oc;
            if (sc && sc->column <= fc) {
                oc.stored = sc;
                oc.column = sc->column;
                oc.style = validStyle(sc->style) ? sc->style : rangeStyle(row, sc->column);
                ++s;
                if (sc->column == fc)
                    ++f;
            } else {
                oc.column = fc;
                oc.style = rangeStyle(row, fc);
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
                appendEscaped(m_out, oc.stored->text, false);
                m_out += "</Data></Cell>";
            } else {
                m_out += "/>";
            }
            expected = oc.column + across + 1;
        }
    }

    void openRow(int index, int expected, const SheetRow *r)
    {
        m_out += "   <Row";
        if (index != expected)
            attr(m_out, "ss:Index", index);
        if (r && r->height > 0) {
            m_out += " ss:AutoFitHeight=\"0\"";
            attrPoints(m_out, "ss:Height", r->height);
        }
        if (r)
            writeStyleRef(r->style);
        if (r && r->hidden)
            m_out += " ss:Hidden=\"1\"";
    }

    void writeRows()
    {
        // Row numbers to visit: the stored rows and those a format range touches.
        std::vector<int> indices;
        indices.reserve(m_sheet.rows.size());
        for (const SheetRow &r : m_sheet.rows)
            indices.push_back(r.index);
        if (!m_sheet.formats.empty()) {
            for (const FormatRange &f : m_sheet.formats)
                for (int r = std::max(1, f.top); r <= std::min(f.bottom, MaxSheetRows); ++r)
                    indices.push_back(r);
            std::sort(indices.begin(), indices.end());
            indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
        }

        int expected = 1;
        std::vector<OutCell> cells;
        size_t i = 0;
        while (i < indices.size()) {
            const int index = indices[i];
            const SheetRow *r = m_sheet.row(index);
            collect(index, r, cells);
            ++i;
            if (!r && cells.empty())
                continue;
            if (r && cells.empty() && r->height <= 0 && !validStyle(r->style) && !r->hidden)
                continue;
            // Bordered empty rows go out cell by cell: other programs ignore
            // repeated rows (ss:Span) or read them differently.
            openRow(index, expected, r);
            if (cells.empty()) {
                m_out += "/>\n";
            } else {
                m_out += ">";
                writeCells(cells);
                m_out += "</Row>\n";
            }
            expected = index + 1;
            pruneDowns(index);
        }
    }

    void pruneDowns(int row)
    {
        m_downs.erase(std::remove_if(m_downs.begin(), m_downs.end(),
                                     [&](const Merge &m) { return m.row + m.rows - 1 <= row; }),
                      m_downs.end());
    }

    QByteArray &m_out;
    const Workbook &m_book;
    const Worksheet &m_sheet;
    std::vector<Merge> m_downs; // merges down still covering rows below
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
