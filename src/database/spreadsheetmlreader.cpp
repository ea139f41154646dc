#include "database/spreadsheetmlreader.h"

#include "core/atomicfile.h"
#include "core/cp1251.h"
#include "database/parsearena.h"
#include "database/spreadsheetmlformat.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <pugixml.hpp>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>

namespace gravik::spreadsheetml {

namespace {


enum class Ns : unsigned char { None, Ss, X, Other };

Ns classify(const char *uri)
{
    if (std::strcmp(uri, SpreadsheetNs) == 0)
        return Ns::Ss;
    if (std::strcmp(uri, ExcelNs) == 0)
        return Ns::X;
    return Ns::Other;
}

struct ParseFailure {
    QString message;
    ptrdiff_t offset = -1;
};

// The namespace bindings in force at the element being read.
class Scope
{
public:
    size_t enter(const pugi::xml_node &n)
    {
        const size_t mark = m_bindings.size();
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
            const char *name = a.name();
            if (name[0] != 'x' || std::strncmp(name, "xmlns", 5) != 0)
                continue;
            m_cached = 0;
            if (name[5] == 0)
                m_bindings.push_back({std::string_view(), a.value()[0] ? classify(a.value()) : Ns::None});
            else if (name[5] == ':')
                m_bindings.push_back({std::string_view(name + 6), classify(a.value())});
        }
        return mark;
    }
    void leave(size_t mark)
    {
        if (mark != m_bindings.size()) {
            m_bindings.resize(mark);
            m_cached = 0;
        }
    }

    // An element's namespace and local name.
    std::pair<Ns, const char *> element(const pugi::xml_node &n) const
    {
        const char *name = n.name();
        const char *colon = std::strchr(name, ':');
        if (!colon)
            return {lookup(std::string_view(), n, true), name};
        return {lookup(std::string_view(name, size_t(colon - name)), n, false), colon + 1};
    }

    // An attribute's namespace (None when unprefixed) and local name.
    std::pair<Ns, const char *> attribute(const pugi::xml_attribute &a, const pugi::xml_node &owner) const
    {
        const char *name = a.name();
        const char *colon = std::strchr(name, ':');
        if (!colon)
            return {Ns::None, name};
        const std::string_view prefix(name, size_t(colon - name));
        if (prefix == "xmlns" || prefix == "xml")
            return {Ns::Other, colon + 1};
        return {lookup(prefix, owner, false), colon + 1};
    }

private:
    Ns lookup(std::string_view prefix, const pugi::xml_node &n, bool isDefault) const
    {
        // Nearly every name has one of two or three prefixes: the last answers
        // are kept until a binding comes or goes.
        for (int i = 0; i < m_cached; ++i)
            if (m_cache[i].first == prefix)
                return m_cache[i].second;
        for (auto it = m_bindings.rbegin(); it != m_bindings.rend(); ++it)
            if (it->first == prefix) {
                m_cache[m_cached < CacheSize ? m_cached++ : m_next++ % CacheSize] = *it;
                return it->second;
            }
        if (isDefault)
            return Ns::None;
        throw ParseFailure{QStringLiteral("префикс пространства имён «%1» не объявлен")
                               .arg(QString::fromUtf8(prefix.data(), qsizetype(prefix.size()))),
                           n.offset_debug()};
    }

    std::vector<std::pair<std::string_view, Ns>> m_bindings;
    static constexpr int CacheSize = 4;
    mutable std::pair<std::string_view, Ns> m_cache[CacheSize];
    mutable int m_cached = 0;
    mutable unsigned m_next = 0;
};

// Children of n, each with its namespace bindings entered and left around the call.
template <class F>
void forChildren(Scope &scope, const pugi::xml_node &n, F &&f)
{
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        const size_t mark = scope.enter(c);
        const auto [ns, local] = scope.element(c);
        f(c, ns, local);
        scope.leave(mark);
    }
}

// Attributes of a spreadsheet element: ss-prefixed ones, and unprefixed ones,
// which some writers use on elements of the spreadsheet namespace.
template <class F>
void forAttributes(const Scope &scope, const pugi::xml_node &n, F &&f)
{
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
        const auto [ns, local] = scope.attribute(a, n);
        f(ns, local, a);
    }
}

bool is(const char *a, const char *b) { return std::strcmp(a, b) == 0; }
bool ssAttr(Ns ns) { return ns == Ns::Ss || ns == Ns::None; }

QString str(const pugi::xml_attribute &a) { return QString::fromUtf8(a.value()); }

// The text of an element and of every element inside it (rich text keeps only
// its letters). The parser keeps an element's first text as its value. Walked
// without recursion: how deep elements nest is the file's choice.
void appendText(const pugi::xml_node &top, QByteArray &out)
{
    out += top.value();
    pugi::xml_node c = top.first_child();
    while (c) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata || c.type() == pugi::node_element)
            out += c.value();
        if (c.type() == pugi::node_element && c.first_child()) {
            c = c.first_child();
            continue;
        }
        while (!c.next_sibling()) {
            c = c.parent();
            if (c == top)
                return;
        }
        c = c.next_sibling();
    }
}

QString elementText(const pugi::xml_node &n)
{
    if (!n.first_child())
        return QString::fromUtf8(n.value());
    QByteArray out;
    appendText(n, out);
    return QString::fromUtf8(out);
}

ParseFailure failure(const pugi::xml_node &n, const QString &message)
{
    return ParseFailure{message, n.offset_debug()};
}

// A whole-number attribute from min to max; anything else is refused, naming it.
int intIn(const pugi::xml_node &n, const pugi::xml_attribute &a, int min, int max, const char *what)
{
    bool ok = false;
    const long long v = QByteArray(a.value()).trimmed().toLongLong(&ok);
    if (!ok || v < min || v > max)
        throw failure(n, QStringLiteral("%1 «%2» должен быть целым числом от %3 до %4")
                             .arg(QString::fromUtf8(what), str(a)).arg(min).arg(max));
    return int(v);
}

int positiveInt(const pugi::xml_node &n, const pugi::xml_attribute &a, int max, const char *what)
{
    return intIn(n, a, 1, max, what);
}

int nonNegativeInt(const pugi::xml_node &n, const pugi::xml_attribute &a, int max, const char *what)
{
    return intIn(n, a, 0, max, what);
}

double points(const pugi::xml_attribute &a)
{
    bool ok = false;
    const double v = QByteArray(a.value()).trimmed().toDouble(&ok);
    return ok && v > 0 && v < 1e6 ? v : 0;
}

bool truth(const pugi::xml_attribute &a)
{
    const std::string_view v = a.value();
    return v == "1" || v == "true";
}

class Reader
{
public:
    Workbook book;

    void readWorkbook(const pugi::xml_node &root)
    {
        m_scope.enter(root);
        const auto [ns, local] = m_scope.element(root);
        if (ns != Ns::Ss || !is(local, "Workbook"))
            throw failure(root, QStringLiteral("корневой элемент «%1» не является книгой SpreadsheetML "
                                               "(ожидался Workbook из пространства имён %2)")
                                    .arg(QString::fromUtf8(root.name()), QString::fromLatin1(SpreadsheetNs)));
        // Styles first: cells refer to them by name wherever they stand.
        forChildren(m_scope, root, [&](const pugi::xml_node &c, Ns ns, const char *local) {
            if (ns == Ns::Ss && is(local, "Styles"))
                readStyles(c);
            else if (ns == Ns::X && is(local, "ExcelWorkbook"))
                readExcelWorkbook(c);
        });
        resolveParents();
        forChildren(m_scope, root, [&](const pugi::xml_node &c, Ns ns, const char *local) {
            if (ns == Ns::Ss && is(local, "Worksheet"))
                readWorksheet(c);
        });
        if (book.sheets.empty())
            throw failure(root, QStringLiteral("в книге нет ни одного листа (Worksheet)"));
        if (m_activeFromWorkbook >= 0 && m_activeFromWorkbook < int(book.sheets.size()))
            book.activeSheet = m_activeFromWorkbook;
        else if (m_firstSelected >= 0)
            book.activeSheet = m_firstSelected;
        else
            book.activeSheet = 0;
    }

private:
    void readExcelWorkbook(const pugi::xml_node &n)
    {
        forChildren(m_scope, n, [&](const pugi::xml_node &c, Ns ns, const char *local) {
            if (ns == Ns::X && is(local, "ActiveSheet")) {
                bool ok = false;
                const int v = elementText(c).trimmed().toInt(&ok);
                if (ok)
                    m_activeFromWorkbook = v;
            }
        });
    }

    void readStyles(const pugi::xml_node &n)
    {
        forChildren(m_scope, n, [&](const pugi::xml_node &c, Ns ns, const char *local) {
            if (ns != Ns::Ss || !is(local, "Style"))
                return;
            CellStyle s;
            QString parent;
            forAttributes(m_scope, c, [&](Ns ans, const char *alocal, const pugi::xml_attribute &a) {
                if (!ssAttr(ans))
                    return;
                if (is(alocal, "ID"))
                    s.id = str(a);
                else if (is(alocal, "Name"))
                    s.name = str(a);
                else if (is(alocal, "Parent"))
                    parent = str(a);
            });
            if (s.id.isEmpty() || m_styleIds.contains(s.id))
                return; // unusable or a repeated name: the first one counts
            readStyleParts(c, s);
            m_styleIds.insert(s.id, int(book.styles.size()));
            book.styles.push_back(std::move(s));
            m_parents.push_back({parent, c.offset_debug()});
        });
    }

    void readStyleParts(const pugi::xml_node &n, CellStyle &s)
    {
        forChildren(m_scope, n, [&](const pugi::xml_node &c, Ns ns, const char *local) {
            if (ns != Ns::Ss)
                return;
            if (is(local, "Borders")) {
                forChildren(m_scope, c, [&](const pugi::xml_node &b, Ns bns, const char *blocal) {
                    if (bns != Ns::Ss || !is(blocal, "Border"))
                        return;
                    CellStyle::Border border;
                    forAttributes(m_scope, b, [&](Ns ans, const char *l, const pugi::xml_attribute &a) {
                        if (!ssAttr(ans))
                            return;
                        for (const BorderAttribute &t : BorderAttributes)
                            if (is(l, t.name))
                                border.*t.field = str(a);
                    });
                    if (!border.position.isEmpty())
                        s.borders.push_back(std::move(border));
                });
                return;
            }
            const auto part = std::find_if(std::begin(StyleParts), std::end(StyleParts),
                                           [&](StylePart p) { return is(local, partName(p)); });
            if (part == std::end(StyleParts))
                return;
            forAttributes(m_scope, c, [&](Ns ans, const char *l, const pugi::xml_attribute &a) {
                for (const StyleAttribute &t : StyleAttributes)
                    if (t.part == *part && (t.excel ? ans == Ns::X : ssAttr(ans)) && is(l, t.name))
                        s.*t.field = str(a);
            });
        });
    }

    // A style takes what it leaves unset from its parent, and that from its own.
    // Chains are followed without recursion, each style once; a loop is refused.
    void resolveParents()
    {
        enum : unsigned char { Open, Resolving, Done };
        std::vector<unsigned char> state(book.styles.size(), Open);
        std::vector<int> chain;
        for (int first = 0; first < int(book.styles.size()); ++first) {
            int i = first;
            while (i >= 0 && state[size_t(i)] == Open) {
                state[size_t(i)] = Resolving;
                chain.push_back(i);
                const Parent &p = m_parents[size_t(i)];
                i = p.id.isEmpty() ? -1 : m_styleIds.value(p.id, -1);
                if (i >= 0 && state[size_t(i)] == Resolving)
                    throw ParseFailure{QStringLiteral("стиль «%1» наследует сам от себя (цепочка ss:Parent замкнута)")
                                           .arg(book.styles[size_t(i)].id),
                                       m_parents[size_t(i)].offset};
            }
            // From the top of the chain down: each parent is complete before its child takes from it.
            for (size_t k = chain.size(); k-- > 0;) {
                const int s = chain[k];
                if (k + 1 < chain.size() || i >= 0)
                    book.styles[size_t(s)].inheritFrom(book.styles[size_t(k + 1 < chain.size() ? chain[k + 1] : i)]);
                state[size_t(s)] = Done;
            }
            chain.clear();
        }
    }

    int styleOf(const pugi::xml_attribute &a)
    {
        const char *v = a.value();
        // Neighbouring cells mostly share their style.
        if (m_lastStyleName == v)
            return m_lastStyle;
        m_lastStyleName = v;
        m_lastStyle = m_styleIds.value(QString::fromUtf8(v), -1);
        return m_lastStyle;
    }

    void readWorksheet(const pugi::xml_node &n)
    {
        Worksheet sheet;
        forAttributes(m_scope, n, [&](Ns ns, const char *local, const pugi::xml_attribute &a) {
            if (ssAttr(ns) && is(local, "Name"))
                sheet.name = str(a);
        });
        if (sheet.name.isEmpty())
            sheet.name = QStringLiteral("Sheet%1").arg(book.sheets.size() + 1);
        forChildren(m_scope, n, [&](const pugi::xml_node &c, Ns ns, const char *local) {
            if (ns == Ns::Ss && is(local, "Table"))
                readTable(c, sheet);
            else if (ns == Ns::X && is(local, "WorksheetOptions") && m_firstSelected < 0) {
                forChildren(m_scope, c, [&](const pugi::xml_node &, Ns ons, const char *olocal) {
                    if (ons == Ns::X && is(olocal, "Selected"))
                        m_firstSelected = int(book.sheets.size());
                });
            }
        });
        book.sheets.push_back(std::move(sheet));
    }

    void readTable(const pugi::xml_node &n, Worksheet &sheet)
    {
        forAttributes(m_scope, n, [&](Ns ns, const char *local, const pugi::xml_attribute &a) {
            if (!ssAttr(ns))
                return;
            if (is(local, "StyleID"))
                sheet.style = styleOf(a);
            else if (is(local, "DefaultRowHeight"))
                sheet.defaultRowHeight = points(a);
            else if (is(local, "DefaultColumnWidth"))
                sheet.defaultColumnWidth = points(a);
        });
        size_t children = 0;
        for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
            ++children;
        sheet.rows.reserve(sheet.rows.size() + children);
        // Rows go in as read and are sorted at the end.
        int column = 0, row = 0;
        forChildren(m_scope, n, [&](const pugi::xml_node &c, Ns ns, const char *local) {
            if (ns != Ns::Ss)
                return;
            if (is(local, "Column"))
                column = readColumn(c, sheet, column);
            else if (is(local, "Row"))
                row = readRow(c, sheet, row);
        });
        sortRows(sheet.rows);
        compactBlankRows(sheet);
    }

    // A file need not list rows or cells in order: they are sorted once the
    // table is read, which keeps a reversed file as cheap as an ordered one.
    // A later cell for the same place replaces an earlier one.
    static void sortCells(std::vector<SheetCell> &cells)
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
            if (out != i)
                cells[out] = std::move(cells[i]);
            ++out;
        }
        cells.resize(out);
    }

    // A row read twice takes the later format, and the cells of both.
    static void sortRows(std::vector<SheetRow> &rows)
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
                    std::move(rows[k].cells.begin(), rows[k].cells.end(), std::back_inserter(cells));
                std::move(merged.cells.begin(), merged.cells.end(), std::back_inserter(cells));
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
    static void compactBlankRows(Worksheet &sheet)
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
                    sheet.formats.push_back({rows[i].index, cells[k].column, rows[j - 1].index, cells[m - 1].column,
                                             cells[k].style});
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

    int readColumn(const pugi::xml_node &n, Worksheet &sheet, int previous)
    {
        int index = previous + 1, span = 0;
        SheetColumn col;
        forAttributes(m_scope, n, [&](Ns ns, const char *local, const pugi::xml_attribute &a) {
            if (!ssAttr(ns))
                return;
            if (is(local, "Index"))
                index = positiveInt(n, a, MaxSheetColumns, "Номер столбца ss:Index");
            else if (is(local, "Span"))
                span = nonNegativeInt(n, a, MaxSheetColumns, "Повтор столбца ss:Span");
            else if (is(local, "Width"))
                col.width = points(a);
            else if (is(local, "StyleID"))
                col.style = styleOf(a);
            else if (is(local, "Hidden"))
                col.hidden = truth(a);
        });
        const int last = std::min(index + span, MaxSheetColumns);
        if (int(sheet.columns.size()) < last)
            sheet.columns.resize(size_t(last));
        for (int i = index; i <= last; ++i)
            sheet.columns[size_t(i - 1)] = col;
        return last;
    }

    int readRow(const pugi::xml_node &n, Worksheet &sheet, int previous)
    {
        int index = previous + 1, span = 0;
        double height = 0;
        int style = -1;
        bool hidden = false;
        forAttributes(m_scope, n, [&](Ns ns, const char *local, const pugi::xml_attribute &a) {
            if (!ssAttr(ns))
                return;
            if (is(local, "Index"))
                index = positiveInt(n, a, MaxSheetRows, "Номер строки ss:Index");
            else if (is(local, "Span"))
                span = nonNegativeInt(n, a, MaxSheetRows, "Повтор строки ss:Span");
            else if (is(local, "Height"))
                height = points(a);
            else if (is(local, "StyleID"))
                style = styleOf(a);
            else if (is(local, "Hidden"))
                hidden = truth(a);
        });
        if (index > MaxSheetRows)
            throw failure(n, QStringLiteral("номер строки больше %1").arg(MaxSheetRows));
        const int last = std::min(index + span, MaxSheetRows);

        std::vector<SheetCell> cells;
        cells.reserve(m_lastRowCells); // rows mostly hold as many cells as the one before
        int column = 0;
        forChildren(m_scope, n, [&](const pugi::xml_node &c, Ns ns, const char *local) {
            if (ns == Ns::Ss && is(local, "Cell"))
                column = readCell(c, cells, column);
        });

        m_lastRowCells = cells.size();
        const bool formatted = height > 0 || style >= 0 || hidden;
        if (!formatted && cells.empty())
            return last;
        // A repeated row (ss:Span) repeats its format, not its values: the rows
        // after the first take its height, hidden state and styles as ranges,
        // at no cost per row; only the first holds its cells.
        sortCells(cells);
        if (last > index) {
            if (formatted)
                sheet.rowRanges.push_back({index + 1, last, height, style, hidden});
            for (size_t k = 0; k < cells.size();) {
                size_t m = k + 1;
                while (m < cells.size() && cells[m].column == cells[m - 1].column + 1 && cells[m].style == cells[k].style)
                    ++m;
                if (cells[k].style >= 0)
                    sheet.formats.push_back({index + 1, cells[k].column, last, cells[m - 1].column, cells[k].style});
                k = m;
            }
        }
        sheet.rows.push_back({index, height, style, hidden, std::move(cells)});
        return last;
    }

    // Values repeat down a column (a class teacher, a class): a text equal to
    // the one above shares its string.
    QString shared(int column, const char *utf8)
    {
        const std::string_view v(utf8);
        if (v.empty())
            return QString();
        if (column > int(m_above.size()))
            m_above.resize(size_t(column));
        auto &[text, string] = m_above[size_t(column - 1)];
        if (text != v) {
            text = v;
            string = cp1251::kazakhLetters(QString::fromUtf8(v.data(), qsizetype(v.size()))); // ќ is қ
        }
        return string;
    }

    int readCell(const pugi::xml_node &n, std::vector<SheetCell> &cells, int previousEnd)
    {
        SheetCell cell;
        int index = previousEnd + 1;
        forAttributes(m_scope, n, [&](Ns ns, const char *local, const pugi::xml_attribute &a) {
            if (!ssAttr(ns))
                return;
            if (is(local, "Index"))
                index = positiveInt(n, a, MaxSheetColumns, "Номер столбца ss:Index");
            else if (is(local, "StyleID"))
                cell.style = styleOf(a);
            else if (is(local, "MergeAcross"))
                cell.mergeAcross = nonNegativeInt(n, a, MaxSheetColumns - 1, "Объединение ss:MergeAcross");
            else if (is(local, "MergeDown"))
                cell.mergeDown = nonNegativeInt(n, a, MaxSheetRows - 1, "Объединение ss:MergeDown");
        });
        if (index > MaxSheetColumns)
            throw failure(n, QStringLiteral("номер столбца больше %1").arg(MaxSheetColumns));
        cell.column = index;
        cell.mergeAcross = std::min(cell.mergeAcross, MaxSheetColumns - index);
        forChildren(m_scope, n, [&](const pugi::xml_node &c, Ns ns, const char *local) {
            if (ns == Ns::Ss && is(local, "Data"))
                readData(c, cell);
        });
        const int end = index + cell.mergeAcross;
        cells.push_back(std::move(cell));
        return end;
    }

    void readData(const pugi::xml_node &n, SheetCell &cell)
    {
        const char *type = "String";
        forAttributes(m_scope, n, [&](Ns ns, const char *local, const pugi::xml_attribute &a) {
            if (ssAttr(ns) && is(local, "Type"))
                type = a.value();
        });
        QString text;
        if (n.first_child())
            text = cp1251::kazakhLetters(elementText(n));
        else if (is(type, "Number"))
            text = QString::fromUtf8(n.value());
        else
            text = shared(cell.column, n.value());
        if (text.isEmpty()) {
            cell.type = CellType::Empty;
            cell.text.clear();
            return;
        }
        if (is(type, "Number")) {
            if (auto plain = plainDecimal(text)) {
                cell.type = CellType::Number;
                cell.text = *plain;
                return;
            }
            cell.type = CellType::String; // not a number after all: keep the text
        } else if (is(type, "Boolean")) {
            cell.type = CellType::Boolean;
        } else if (is(type, "DateTime")) {
            cell.type = CellType::DateTime;
        } else if (is(type, "Error")) {
            cell.type = CellType::Error;
        } else {
            cell.type = CellType::String;
        }
        cell.text = std::move(text);
    }

    Scope m_scope;
    struct Parent {
        QString id;
        ptrdiff_t offset = -1; // of the Style element
    };
    std::vector<Parent> m_parents;
    QHash<QString, int> m_styleIds;
    std::string_view m_lastStyleName = "\x01"; // matches no style name
    int m_lastStyle = -1;
    size_t m_lastRowCells = 0;
    std::vector<std::pair<std::string_view, QString>> m_above; // per column; views into the parsed buffer
    int m_activeFromWorkbook = -1;
    int m_firstSelected = -1;
};

QString describe(pugi::xml_parse_status status)
{
    switch (status) {
    case pugi::status_out_of_memory: return QStringLiteral("не хватило памяти");
    case pugi::status_unrecognized_tag: return QStringLiteral("непонятный тег");
    case pugi::status_bad_pi: return QStringLiteral("испорчена инструкция обработки или объявление XML");
    case pugi::status_bad_comment: return QStringLiteral("испорчен комментарий");
    case pugi::status_bad_cdata: return QStringLiteral("испорчен раздел CDATA");
    case pugi::status_bad_doctype: return QStringLiteral("испорчено объявление DOCTYPE");
    case pugi::status_bad_pcdata: return QStringLiteral("испорчен текст");
    case pugi::status_bad_start_element: return QStringLiteral("испорчен открывающий тег");
    case pugi::status_bad_attribute: return QStringLiteral("испорчен атрибут");
    case pugi::status_bad_end_element: return QStringLiteral("испорчен закрывающий тег");
    case pugi::status_end_element_mismatch:
        return QStringLiteral("закрывающий тег не соответствует открывающему (или файл оборван)");
    case pugi::status_append_invalid_root: return QStringLiteral("недопустимый корневой узел");
    case pugi::status_no_document_element: return QStringLiteral("нет ни одного элемента: файл пуст или это не XML");
    default: return QStringLiteral("файл не является правильным XML");
    }
}

// Line and column (in characters) of a byte offset; an element's is that of its "<".
void position(const QByteArray &data, ptrdiff_t offset, Error *error)
{
    if (!error || offset < 0)
        return;
    const char *p = data.constData();
    offset = std::min<ptrdiff_t>(offset, data.size());
    if (offset > 0 && p[offset - 1] == '<')
        --offset;
    else if (offset > 1 && p[offset - 1] == '/' && p[offset - 2] == '<')
        offset -= 2;
    int line = 1;
    ptrdiff_t lineStart = 0;
    for (ptrdiff_t i = 0; i < offset; ++i)
        if (p[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    int column = 1;
    for (ptrdiff_t i = lineStart; i < offset; ++i)
        if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80)
            ++column;
    error->line = line;
    error->column = column;
}

// The encoding named by the XML declaration; empty when none is named.
QByteArray declaredEncoding(const QByteArray &data)
{
    if (!data.startsWith("<?xml"))
        return {};
    const qsizetype end = data.indexOf("?>");
    if (end < 0)
        return {};
    const QByteArray decl = data.left(end);
    const qsizetype at = decl.indexOf("encoding");
    if (at < 0)
        return {};
    qsizetype i = decl.indexOf('=', at);
    if (i < 0)
        return {};
    ++i;
    while (i < decl.size() && (decl[i] == ' ' || decl[i] == '\t'))
        ++i;
    if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\''))
        return {};
    const char quote = decl[i];
    const qsizetype close = decl.indexOf(quote, i + 1);
    return close < 0 ? QByteArray() : decl.mid(i + 1, close - i - 1);
}


// Fills a buffer of the given size; false when the bytes could not be had.
using Fill = std::function<bool(char *)>;

// Parses size bytes that fill() puts into the arena, in place. Positions of
// errors are counted in the untouched bytes that original() gives.
std::optional<Workbook> parse(qsizetype size, const Fill &fill, const std::function<QByteArray()> &original,
                              Error *error, bool *filled)
{
    ParseArena arena(size_t(size) * 4 + (size_t(1) << 20));
    const ParseArena::Active active(arena);
    std::unique_ptr<char[]> heap;
    char *data = static_cast<char *>(arena.take(size_t(size) + 1));
    if (!data) {
        heap.reset(new char[size_t(size) + 1]);
        data = heap.get();
    }
    *filled = fill(data);
    if (!*filled)
        return std::nullopt;
    data[size] = 0;

    const QByteArray named = declaredEncoding(QByteArray::fromRawData(data, std::min<qsizetype>(size, 512)));
    const QByteArray enc = named.toLower();
    if (enc == "windows-1251" || enc == "cp1251") {
        QByteArray utf8 = cp1251::decode(QByteArrayView(data, size)).toUtf8();
        // The declaration goes (blanked, so positions stay): pugixml reads UTF-8.
        const qsizetype end = utf8.indexOf("?>") + 2;
        std::fill(utf8.begin(), utf8.begin() + end, ' ');
        bool copied = false;
        return parse(
            utf8.size(), [&utf8](char *to) { return std::memcpy(to, utf8.constData(), size_t(utf8.size())) != nullptr; },
            [&utf8] { return utf8; }, error, &copied);
    }
    if (!enc.isEmpty() && enc != "utf-8" && enc != "utf8" && enc != "utf-16" && enc != "us-ascii"
        && enc != "iso-8859-1" && enc != "latin1") {
        if (error) {
            *error = Error{};
            error->message = QStringLiteral("кодировка «%1» не поддерживается (нужна UTF-8)")
                                 .arg(QString::fromUtf8(named));
        }
        return std::nullopt;
    }
    auto fail = [&](const QString &message, ptrdiff_t offset) {
        if (error) {
            *error = Error{};
            error->message = message;
            position(original(), offset, error);
        }
        return std::nullopt;
    };

    pugi::xml_document doc; // after the arena: gone before it
    // Whitespace-only text is kept when it is a whole value (a cell of one space);
    // an element's text is kept in the element, not in a node of its own.
    const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_doctype
                             | pugi::parse_embed_pcdata;
    const pugi::xml_parse_result result = doc.load_buffer_inplace(data, size_t(size), options);
    if (!result)
        return fail(describe(result.status), result.offset);
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_doctype)
            return fail(QStringLiteral("объявление DOCTYPE не допускается: книга SpreadsheetML "
                                       "обходится без DTD и сущностей"),
                        n.offset_debug());
    try {
        Reader reader;
        reader.readWorkbook(doc.document_element());
        return std::move(reader.book);
    } catch (const ParseFailure &f) {
        return fail(f.message, f.offset);
    }
}

} // namespace

std::optional<Workbook> read(const QByteArray &input, Error *error)
{
    bool filled = false;
    return parse(
        input.size(), [&input](char *to) { return std::memcpy(to, input.constData(), size_t(input.size())) != nullptr; },
        [&input] { return input; }, error, &filled);
}

std::optional<Workbook> readFile(const QString &path, Error *error)
{
    const QString name = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = Error{};
            error->message = file.exists()
                                 ? fileOpenError(file, path)
                                 : QStringLiteral("Файл %1 не найден").arg(name);
        }
        return std::nullopt;
    }
    const qsizetype size = file.size();
    auto fill = [&file, size](char *to) {
        qsizetype got = 0;
        while (got < size) {
            const qint64 n = file.read(to + got, size - got);
            if (n <= 0)
                return false;
            got += n;
        }
        return true;
    };
    // An error is rare: its position is counted in the file read again.
    auto again = [&path] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    bool filled = false;
    auto book = parse(size, fill, again, error, &filled);
    if (!filled) {
        if (error) {
            *error = Error{};
            error->message = QStringLiteral("Не удалось прочитать файл %1: %2")
                                 .arg(name, fileFailureReason(errno, file.errorString()));
        }
        return std::nullopt;
    }
    if (!book && error) {
        if (error->line > 0)
            error->message = QStringLiteral("Файл %1, строка %2, столбец %3: %4")
                                 .arg(name)
                                 .arg(error->line)
                                 .arg(error->column)
                                 .arg(error->message);
        else
            error->message = QStringLiteral("Файл %1: %2").arg(name, error->message);
    }
    return book;
}

} // namespace gravik::spreadsheetml
