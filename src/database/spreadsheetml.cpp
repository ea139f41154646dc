#include "database/spreadsheetml.h"

#include "core/atomicfile.h"
#include "core/cp1251.h"
#include "database/parsearena.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <pugixml.hpp>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>

namespace gravik::spreadsheetml {

namespace {

// ---------------------------------------------------------------- reading

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
            if (std::strncmp(name, "xmlns", 5) != 0)
                continue;
            if (name[5] == 0)
                m_bindings.push_back({std::string_view(), a.value()[0] ? classify(a.value()) : Ns::None});
            else if (name[5] == ':')
                m_bindings.push_back({std::string_view(name + 6), classify(a.value())});
        }
        return mark;
    }
    void leave(size_t mark) { m_bindings.resize(mark); }

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
        for (auto it = m_bindings.rbegin(); it != m_bindings.rend(); ++it)
            if (it->first == prefix)
                return it->second;
        if (isDefault)
            return Ns::None;
        throw ParseFailure{QStringLiteral("префикс пространства имён «%1» не объявлен")
                               .arg(QString::fromUtf8(prefix.data(), qsizetype(prefix.size()))),
                           n.offset_debug()};
    }

    std::vector<std::pair<std::string_view, Ns>> m_bindings;
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
// its letters). The parser keeps an element's first text as its value.
void appendText(const pugi::xml_node &n, QByteArray &out)
{
    out += n.value();
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            out += c.value();
        else if (c.type() == pugi::node_element)
            appendText(c, out);
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

int positiveInt(const pugi::xml_node &n, const pugi::xml_attribute &a, int max, const char *what)
{
    bool ok = false;
    const long long v = QByteArray(a.value()).trimmed().toLongLong(&ok);
    if (!ok || v < 1 || v > max)
        throw failure(n, QStringLiteral("%1 «%2» должен быть целым числом от 1 до %3")
                             .arg(QString::fromLatin1(what), str(a)).arg(max));
    return int(v);
}

int nonNegativeInt(const pugi::xml_node &n, const pugi::xml_attribute &a, int max, const char *what)
{
    bool ok = false;
    const long long v = QByteArray(a.value()).trimmed().toLongLong(&ok);
    if (!ok || v < 0 || v > max)
        throw failure(n, QStringLiteral("%1 «%2» должен быть целым числом от 0 до %3")
                             .arg(QString::fromLatin1(what), str(a)).arg(max));
    return int(v);
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
        for (int i = 0; i < int(book.styles.size()); ++i)
            m_styleIds.insert(book.styles[i].id, i);
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
            if (s.id.isEmpty() || book.styleIndex(s.id) >= 0)
                return; // unusable or a repeated name: the first one counts
            readStyleParts(c, s);
            book.styles.push_back(std::move(s));
            m_parents.push_back(parent);
        });
    }

    void readStyleParts(const pugi::xml_node &n, CellStyle &s)
    {
        forChildren(m_scope, n, [&](const pugi::xml_node &c, Ns ns, const char *local) {
            if (ns != Ns::Ss)
                return;
            auto attrs = [&](auto &&f) {
                forAttributes(m_scope, c, [&](Ns ans, const char *alocal, const pugi::xml_attribute &a) {
                    f(ans, alocal, a);
                });
            };
            if (is(local, "Alignment")) {
                attrs([&](Ns ans, const char *l, const pugi::xml_attribute &a) {
                    if (!ssAttr(ans))
                        return;
                    if (is(l, "Horizontal"))
                        s.horizontal = str(a);
                    else if (is(l, "Vertical"))
                        s.vertical = str(a);
                    else if (is(l, "WrapText"))
                        s.wrapText = str(a);
                });
            } else if (is(local, "Borders")) {
                forChildren(m_scope, c, [&](const pugi::xml_node &b, Ns bns, const char *blocal) {
                    if (bns != Ns::Ss || !is(blocal, "Border"))
                        return;
                    CellStyle::Border border;
                    forAttributes(m_scope, b, [&](Ns ans, const char *l, const pugi::xml_attribute &a) {
                        if (!ssAttr(ans))
                            return;
                        if (is(l, "Position"))
                            border.position = str(a);
                        else if (is(l, "LineStyle"))
                            border.lineStyle = str(a);
                        else if (is(l, "Weight"))
                            border.weight = str(a);
                        else if (is(l, "Color"))
                            border.color = str(a);
                    });
                    if (!border.position.isEmpty())
                        s.borders.push_back(std::move(border));
                });
            } else if (is(local, "Font")) {
                attrs([&](Ns ans, const char *l, const pugi::xml_attribute &a) {
                    if (ans == Ns::X) {
                        if (is(l, "Family"))
                            s.fontFamily = str(a);
                        else if (is(l, "CharSet"))
                            s.charSet = str(a);
                        return;
                    }
                    if (!ssAttr(ans))
                        return;
                    if (is(l, "FontName"))
                        s.fontName = str(a);
                    else if (is(l, "Size"))
                        s.fontSize = str(a);
                    else if (is(l, "Bold"))
                        s.bold = str(a);
                    else if (is(l, "Italic"))
                        s.italic = str(a);
                    else if (is(l, "Underline"))
                        s.underline = str(a);
                    else if (is(l, "Color"))
                        s.fontColor = str(a);
                });
            } else if (is(local, "Interior")) {
                attrs([&](Ns ans, const char *l, const pugi::xml_attribute &a) {
                    if (!ssAttr(ans))
                        return;
                    if (is(l, "Color"))
                        s.interiorColor = str(a);
                    else if (is(l, "Pattern"))
                        s.interiorPattern = str(a);
                });
            } else if (is(local, "NumberFormat")) {
                attrs([&](Ns ans, const char *l, const pugi::xml_attribute &a) {
                    if (ssAttr(ans) && is(l, "Format"))
                        s.numberFormat = str(a);
                });
            }
        });
    }

    // A style takes what it leaves unset from its parent, and that from its own.
    void resolveParents()
    {
        std::vector<int> state(book.styles.size(), 0); // 0 open, 1 resolving, 2 done
        std::function<void(int)> resolve = [&](int i) {
            if (state[i] != 0)
                return; // done, or a loop of parents
            state[i] = 1;
            const int p = m_parents[i].isEmpty() ? -1 : book.styleIndex(m_parents[i]);
            if (p >= 0 && p != i) {
                resolve(p);
                book.styles[i].inheritFrom(book.styles[p]);
            }
            state[i] = 2;
        };
        for (int i = 0; i < int(book.styles.size()); ++i)
            resolve(i);
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
        int column = 0, row = 0;
        forChildren(m_scope, n, [&](const pugi::xml_node &c, Ns ns, const char *local) {
            if (ns != Ns::Ss)
                return;
            if (is(local, "Column"))
                column = readColumn(c, sheet, column);
            else if (is(local, "Row"))
                row = readRow(c, sheet, row);
        });
        compactBlankRows(sheet);
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
        if (last == index) {
            if (!formatted && cells.empty())
                return last;
            SheetRow &r = sheet.rowAt(index);
            r.height = height;
            r.style = style;
            r.hidden = hidden;
            const bool ordered = std::adjacent_find(cells.begin(), cells.end(), [](const SheetCell &a, const SheetCell &b) {
                                     return a.column >= b.column;
                                 }) == cells.end();
            if (r.cells.empty() && ordered) {
                r.cells = std::move(cells);
            } else {
                for (SheetCell &cell : cells)
                    insertCell(r, std::move(cell));
            }
            return last;
        }
        // A repeated row: its empty styled cells become format ranges, so a long
        // run of bordered rows costs one entry; cells with values repeat.
        std::vector<SheetCell> valued;
        for (SheetCell &cell : cells) {
            if (!cell.hasValue() && cell.mergeAcross == 0 && cell.mergeDown == 0 && cell.style >= 0)
                sheet.formats.push_back({index, cell.column, last, cell.column, cell.style});
            else
                valued.push_back(std::move(cell));
        }
        if (!formatted && valued.empty())
            return last;
        for (int i = index; i <= last; ++i) {
            SheetRow &r = sheet.rowAt(i);
            r.height = height;
            r.style = style;
            r.hidden = hidden;
            for (const SheetCell &cell : valued)
                insertCell(r, cell);
        }
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

    static void insertCell(SheetRow &r, SheetCell cell)
    {
        if (r.cells.empty() || r.cells.back().column < cell.column) {
            r.cells.push_back(std::move(cell));
            return;
        }
        auto it = std::lower_bound(r.cells.begin(), r.cells.end(), cell.column,
                                   [](const SheetCell &c, int col) { return c.column < col; });
        if (it != r.cells.end() && it->column == cell.column)
            *it = std::move(cell); // a later cell for the same place replaces it
        else
            r.cells.insert(it, std::move(cell));
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
    std::vector<QString> m_parents;
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

// ---------------------------------------------------------------- writing

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

void writeStyle(QByteArray &out, const CellStyle &s)
{
    out += "  <Style";
    attr(out, "ss:ID", s.id);
    attr(out, "ss:Name", s.name);
    out += ">";
    if (!s.horizontal.isEmpty() || !s.vertical.isEmpty() || !s.wrapText.isEmpty()) {
        out += "<Alignment";
        attr(out, "ss:Horizontal", s.horizontal);
        attr(out, "ss:Vertical", s.vertical);
        attr(out, "ss:WrapText", s.wrapText);
        out += "/>";
    }
    if (!s.borders.empty()) {
        out += "<Borders>";
        for (const CellStyle::Border &b : s.borders) {
            out += "<Border";
            attr(out, "ss:Position", b.position);
            attr(out, "ss:LineStyle", b.lineStyle);
            attr(out, "ss:Weight", b.weight);
            attr(out, "ss:Color", b.color);
            out += "/>";
        }
        out += "</Borders>";
    }
    if (!(s.fontName + s.fontFamily + s.charSet + s.fontSize + s.bold + s.italic + s.underline + s.fontColor)
             .isEmpty()) {
        out += "<Font";
        attr(out, "ss:FontName", s.fontName);
        attr(out, "x:CharSet", s.charSet);
        attr(out, "x:Family", s.fontFamily);
        attr(out, "ss:Size", s.fontSize);
        attr(out, "ss:Color", s.fontColor);
        attr(out, "ss:Bold", s.bold);
        attr(out, "ss:Italic", s.italic);
        attr(out, "ss:Underline", s.underline);
        out += "/>";
    }
    if (!s.interiorColor.isEmpty() || !s.interiorPattern.isEmpty()) {
        out += "<Interior";
        attr(out, "ss:Color", s.interiorColor);
        attr(out, "ss:Pattern", s.interiorPattern);
        out += "/>";
    }
    if (!s.numberFormat.isEmpty()) {
        out += "<NumberFormat";
        attr(out, "ss:Format", s.numberFormat);
        out += "/>";
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

namespace {

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
                                 .arg(QString::fromLatin1(named));
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
                                 ? QStringLiteral("Не удалось открыть файл %1: %2").arg(name, file.errorString())
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
            error->message = QStringLiteral("Не удалось прочитать файл %1: %2").arg(name, file.errorString());
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
