#include "database/spreadsheetmlreader.h"

#include "core/atomicfile.h"
#include "core/cp1251.h"
#include "database/spreadsheetmlformat.h"
#include "database/xmlscanner.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

// One pass over the bytes: the scanner gives tags and texts, the reader keeps
// what it is inside of on a stack of its own and fills the workbook as it
// goes. No tree of the document is built.
namespace gravik::spreadsheetml {

namespace {

enum class Ns : unsigned char { None, Ss, X, Other };

Ns classify(std::string_view uri)
{
    if (uri == SpreadsheetNs)
        return Ns::Ss;
    if (uri == ExcelNs)
        return Ns::X;
    return Ns::Other;
}

struct ParseFailure {
    QString message;
    ptrdiff_t offset = -1;
};

// Names and values are a few bytes long: compared in place, not by a call.
[[gnu::always_inline]] inline bool same(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && xml::sameBytes(a.data(), b.data(), a.size());
}

template <size_t N>
[[gnu::always_inline]] inline bool is(std::string_view a, const char (&word)[N])
{
    return same(a, std::string_view(word, N - 1));
}

QString qstr(std::string_view v) { return QString::fromUtf8(v.data(), qsizetype(v.size())); }

// An attribute's value with its references replaced; views into the bytes
// when there is nothing to replace.
class Values
{
public:
    std::string_view operator()(const xml::Attribute &a)
    {
        if (a.plain)
            return a.raw;
        std::string &s = m_buffers[m_next++ % 4];
        s.clear();
        xml::appendDecoded(s, a.raw, true);
        return s;
    }

private:
    std::string m_buffers[4];
    unsigned m_next = 0;
};

// The namespace bindings in force at the element being read.
class Scope
{
public:
    size_t mark() const { return m_bindings.size(); }

    void enter(const std::vector<xml::Attribute> &attributes, Values &value)
    {
        for (const xml::Attribute &a : attributes) {
            const std::string_view name = a.name;
            if (name.size() < 5 || name[0] != 'x' || std::memcmp(name.data(), "xmlns", 5) != 0)
                continue;
            const std::string_view uri = value(a);
            if (name.size() == 5) {
                m_bindings.push_back({std::string_view(), uri.empty() ? Ns::None : classify(uri)});
                m_cached = 0;
            } else if (name[5] == ':') {
                m_bindings.push_back({name.substr(6), classify(uri)});
                m_cached = 0;
            }
        }
    }
    void leave(size_t mark)
    {
        if (mark != m_bindings.size()) {
            m_bindings.resize(mark);
            m_cached = 0;
        }
    }

    // An element's namespace and local name; colon: the first ':' in name, or npos.
    std::pair<Ns, std::string_view> element(std::string_view name, size_t colon, size_t offset) const
    {
        if (colon == std::string_view::npos)
            return {lookup(std::string_view(), offset, true), name};
        return {lookup(name.substr(0, colon), offset, false), name.substr(colon + 1)};
    }

    // An attribute's namespace (None when unprefixed) and local name.
    [[gnu::always_inline]] std::pair<Ns, std::string_view> attribute(const xml::Attribute &a, size_t owner) const
    {
        if (a.colon == std::string_view::npos)
            return {Ns::None, a.name};
        const std::string_view prefix = a.name.substr(0, a.colon);
        if (is(prefix, "xmlns") || is(prefix, "xml"))
            return {Ns::Other, a.name.substr(a.colon + 1)};
        return {lookup(prefix, owner, false), a.name.substr(a.colon + 1)};
    }

private:
    [[gnu::always_inline]] Ns lookup(std::string_view prefix, size_t offset, bool isDefault) const
    {
        // Nearly every name has one of two or three prefixes: the last answers
        // are kept until a binding comes or goes.
        for (int i = 0; i < m_cached; ++i)
            if (same(m_cache[i].first, prefix))
                return m_cache[i].second;
        return lookupBindings(prefix, offset, isDefault);
    }

    [[gnu::noinline]] Ns lookupBindings(std::string_view prefix, size_t offset, bool isDefault) const
    {
        for (auto it = m_bindings.rbegin(); it != m_bindings.rend(); ++it)
            if (it->first == prefix) {
                m_cache[m_cached < CacheSize ? m_cached++ : m_next++ % CacheSize] = *it;
                return it->second;
            }
        if (isDefault)
            return Ns::None;
        throw ParseFailure{QStringLiteral("префикс пространства имён «%1» не объявлен").arg(qstr(prefix)),
                           ptrdiff_t(offset)};
    }

    // Prefixes are views into the bytes being read (the attribute names).
    std::vector<std::pair<std::string_view, Ns>> m_bindings;
    static constexpr int CacheSize = 4;
    mutable std::pair<std::string_view, Ns> m_cache[CacheSize];
    mutable int m_cached = 0;
    mutable unsigned m_next = 0;
};

bool ssAttr(Ns ns) { return ns == Ns::Ss || ns == Ns::None; }

// A whole number as QByteArray::toLongLong reads it, around spaces.
std::optional<long long> wholeNumber(std::string_view v)
{
    auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!v.empty() && space(v.front()))
        v.remove_prefix(1);
    while (!v.empty() && space(v.back()))
        v.remove_suffix(1);
    bool negative = false;
    if (!v.empty() && (v.front() == '+' || v.front() == '-')) {
        negative = v.front() == '-';
        v.remove_prefix(1);
    }
    if (v.empty())
        return std::nullopt;
    long long n = 0;
    for (char c : v) {
        if (c < '0' || c > '9' || n > (LLONG_MAX - 9) / 10)
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return negative ? -n : n;
}

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

// Style indexes of names used before their Style element: numbered from here
// while reading and replaced once the whole file is read.
constexpr int ForwardStyle = 1 << 29;

class Reader
{
public:
    Workbook book;

    void read(xml::Scanner &scanner)
    {
        for (;;) {
            switch (scanner.next()) {
            case xml::Scanner::Token::Start:
                start(scanner);
                if (scanner.selfClosing())
                    end();
                break;
            case xml::Scanner::Token::End: end(); break;
            case xml::Scanner::Token::Text:
                text(scanner.text(), scanner.beforeEndTag(), false, !scanner.textIsPlain());
                break;
            case xml::Scanner::Token::CData:
                text(scanner.text(), false, true, scanner.text().find('\r') != std::string_view::npos);
                break;
            case xml::Scanner::Token::Doctype:
                throw ParseFailure{QStringLiteral("объявление DOCTYPE не допускается: книга SpreadsheetML "
                                                  "обходится без DTD и сущностей"),
                                   ptrdiff_t(scanner.offset())};
            case xml::Scanner::Token::Eof: finish(); return;
            }
        }
    }

private:
    // What an open element is; the children of Ignore, Data and ActiveSheet
    // are not looked at but for their text.
    enum class Ctx : unsigned char {
        Document, Ignore, Workbook, Styles, Style, Borders, ExcelWorkbook, ActiveSheet, Worksheet,
        WorksheetOptions, Table, Row, Cell, Data, InText
    };
    struct Frame {
        Ctx ctx;
        unsigned mark; // of the namespace bindings
    };

    // The open elements' frames: a stack kept by hand, pushed and popped for
    // every element of the file.
    void push(Frame f)
    {
        if (m_depth == m_frames.size())
            m_frames.resize(m_frames.size() * 2 + 64);
        m_frames[m_depth++] = f;
    }

    Ctx parentCtx() const
    {
        if (m_depth > 0)
            return m_frames[m_depth - 1].ctx;
        return m_rootOffset < 0 ? Ctx::Document : Ctx::Ignore; // elements after the root are not read
    }

    void start(const xml::Scanner &sc)
    {
        const Ctx parent = parentCtx();
        if (parent == Ctx::Ignore) {
            push({Ctx::Ignore, unsigned(m_scope.mark())});
            return;
        }
        if (parent == Ctx::Data || parent == Ctx::ActiveSheet || parent == Ctx::InText) {
            // Rich text: only its letters count.
            push({Ctx::InText, unsigned(m_scope.mark())});
            m_textHasChild = m_textHasValue = false;
            return;
        }
        const size_t mark = m_scope.mark();
        const auto &attrs = sc.attributes();
        m_scope.enter(attrs, m_value);
        m_offset = sc.offset();
        const auto [ns, local] = m_scope.element(sc.name(), sc.nameColon(), m_offset);
        Ctx c = Ctx::Ignore;
        const bool ss = ns == Ns::Ss, x = ns == Ns::X;
        switch (parent) {
        case Ctx::Document:
            m_rootOffset = ptrdiff_t(m_offset);
            if (!ss || !is(local, "Workbook"))
                throw ParseFailure{QStringLiteral("корневой элемент «%1» не является книгой SpreadsheetML "
                                                  "(ожидался Workbook из пространства имён %2)")
                                       .arg(qstr(sc.name()), QString::fromLatin1(SpreadsheetNs)),
                                   m_rootOffset};
            c = Ctx::Workbook;
            break;
        case Ctx::Workbook:
            if (ss && is(local, "Styles"))
                c = Ctx::Styles;
            else if (x && is(local, "ExcelWorkbook"))
                c = Ctx::ExcelWorkbook;
            else if (ss && is(local, "Worksheet"))
                c = beginWorksheet(attrs);
            break;
        case Ctx::Styles:
            if (ss && is(local, "Style"))
                c = beginStyle(attrs);
            break;
        case Ctx::Style:
            if (ss && is(local, "Borders"))
                c = Ctx::Borders;
            else if (ss)
                readStylePart(local, attrs);
            break;
        case Ctx::Borders:
            if (ss && is(local, "Border"))
                readBorder(attrs);
            break;
        case Ctx::ExcelWorkbook:
            if (x && is(local, "ActiveSheet")) {
                c = Ctx::ActiveSheet;
                beginText();
            }
            break;
        case Ctx::Worksheet:
            if (ss && is(local, "Table"))
                c = beginTable(attrs);
            else if (x && is(local, "WorksheetOptions"))
                c = Ctx::WorksheetOptions;
            break;
        case Ctx::WorksheetOptions:
            if (x && is(local, "Selected") && m_firstSelected < 0)
                m_firstSelected = int(book.sheets.size());
            break;
        case Ctx::Table:
            if (ss && is(local, "Column"))
                readColumn(attrs);
            else if (ss && is(local, "Row"))
                c = beginRow(attrs);
            break;
        case Ctx::Row:
            if (ss && is(local, "Cell"))
                c = beginCell(attrs);
            break;
        case Ctx::Cell:
            if (ss && is(local, "Data"))
                c = beginData(attrs);
            break;
        default: break;
        }
        push({c, unsigned(mark)});
    }

    void end()
    {
        const Frame f = m_frames[--m_depth];
        switch (f.ctx) {
        case Ctx::Style: endStyle(); break;
        case Ctx::ActiveSheet: {
            bool ok = false;
            const int v = qstr(collected()).trimmed().toInt(&ok);
            if (ok)
                m_activeFromWorkbook = v;
            break;
        }
        case Ctx::Worksheet: book.sheets.push_back(std::move(m_sheet)); break;
        case Ctx::Table: endTable(); break;
        case Ctx::Row: endRow(); break;
        case Ctx::Cell: endCell(); break;
        case Ctx::Data: endData(); break;
        case Ctx::InText: m_textHasChild = true; break; // the element it was in now has a child
        default: break;
        }
        m_scope.leave(f.mark);
    }

    // ---- text of Data and ActiveSheet, as the elements inside it leave it:
    // whitespace between them goes, a value of whitespace alone stays.

    void beginText()
    {
        m_textHasChild = m_textHasValue = false;
        m_textMode = TextMode::None;
        m_textBuffer.clear();
    }

    void text(std::string_view t, bool beforeEndTag, bool cdata, bool decode)
    {
        const Ctx c = parentCtx();
        if (c != Ctx::Data && c != Ctx::ActiveSheet && c != Ctx::InText)
            return;
        if (cdata) {
            m_textHasChild = true;
        } else {
            if (xml::isBlank(t) && (!beforeEndTag || m_textHasChild))
                return;
            if (!m_textHasChild && !m_textHasValue)
                m_textHasValue = true;
            else
                m_textHasChild = true;
        }
        if (m_textMode == TextMode::None && !decode) {
            m_textMode = TextMode::Raw;
            m_textRaw = t;
            return;
        }
        if (m_textMode == TextMode::Raw)
            m_textBuffer.assign(m_textRaw);
        m_textMode = TextMode::Buffer;
        if (!decode) {
            m_textBuffer.append(t);
        } else if (cdata) {
            for (size_t i = 0; i < t.size(); ++i) {
                m_textBuffer += t[i] == '\r' ? '\n' : t[i];
                if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n')
                    ++i;
            }
        } else {
            xml::appendDecoded(m_textBuffer, t, false);
        }
    }

    std::string_view collected() const
    {
        return m_textMode == TextMode::Raw ? m_textRaw
               : m_textMode == TextMode::Buffer ? std::string_view(m_textBuffer)
                                                : std::string_view();
    }

    // ---- styles

    // A style's index by its name; names not (yet) defined get a forward number.
    int styleOf(std::string_view name)
    {
        if (same(name, m_lastStyleName))
            return m_lastStyle;
        m_lastStyleName.assign(name);
        const auto it = m_styleNames.constFind(QByteArray::fromRawData(name.data(), qsizetype(name.size())));
        if (it != m_styleNames.cend()) {
            m_lastStyle = *it >= 0 ? *it : ForwardStyle + (-2 - *it);
        } else {
            const int slot = int(m_forward.size());
            m_forward.push_back(-1);
            m_styleNames.insert(QByteArray(name.data(), qsizetype(name.size())), -2 - slot);
            m_lastStyle = ForwardStyle + slot;
        }
        return m_lastStyle;
    }

    Ctx beginStyle(const std::vector<xml::Attribute> &attrs)
    {
        m_style = CellStyle();
        m_styleId.clear();
        m_styleParent.clear();
        for (const xml::Attribute &a : attrs) {
            const auto [ns, local] = m_scope.attribute(a, m_offset);
            if (!ssAttr(ns))
                continue;
            if (is(local, "ID"))
                m_styleId.assign(m_value(a));
            else if (is(local, "Name"))
                m_style.name = qstr(m_value(a));
            else if (is(local, "Parent"))
                m_styleParent.assign(m_value(a));
        }
        if (m_styleId.empty())
            return Ctx::Ignore; // unusable
        const auto it = m_styleNames.constFind(QByteArray::fromStdString(m_styleId));
        if (it != m_styleNames.cend() && *it >= 0)
            return Ctx::Ignore; // a repeated name: the first one counts
        m_style.id = qstr(m_styleId);
        m_styleAt = ptrdiff_t(m_offset);
        return Ctx::Style;
    }

    void endStyle()
    {
        const int index = int(book.styles.size());
        const QByteArray id = QByteArray::fromStdString(m_styleId);
        const auto it = m_styleNames.find(id);
        if (it == m_styleNames.end()) {
            m_styleNames.insert(id, index);
        } else {
            m_forward[size_t(-2 - *it)] = index;
            *it = index;
        }
        m_lastStyleName.assign("\x01"); // matches no style name
        book.styles.push_back(std::move(m_style));
        m_parents.push_back({QByteArray::fromStdString(m_styleParent), m_styleAt});
    }

    void readStylePart(std::string_view local, const std::vector<xml::Attribute> &attrs)
    {
        const auto part = std::find_if(std::begin(StyleParts), std::end(StyleParts),
                                       [&](StylePart p) { return local == partName(p); });
        if (part == std::end(StyleParts))
            return;
        for (const xml::Attribute &a : attrs) {
            const auto [ns, l] = m_scope.attribute(a, m_offset);
            for (const StyleAttribute &t : StyleAttributes)
                if (t.part == *part && (t.excel ? ns == Ns::X : ssAttr(ns)) && l == t.name)
                    m_style.*t.field = qstr(m_value(a));
        }
    }

    void readBorder(const std::vector<xml::Attribute> &attrs)
    {
        CellStyle::Border border;
        for (const xml::Attribute &a : attrs) {
            const auto [ns, l] = m_scope.attribute(a, m_offset);
            if (!ssAttr(ns))
                continue;
            for (const BorderAttribute &t : BorderAttributes)
                if (l == t.name)
                    border.*t.field = qstr(m_value(a));
        }
        if (!border.position.isEmpty())
            m_style.borders.push_back(std::move(border));
    }

    // A style takes what it leaves unset from its parent, and that from its own.
    // Chains are followed without recursion, each style once; a loop is refused.
    void resolveParents()
    {
        enum : unsigned char { Open, Resolving, Done };
        std::vector<unsigned char> state(book.styles.size(), Open);
        std::vector<int> chain;
        auto parentOf = [&](int i) {
            const QByteArray &id = m_parents[size_t(i)].id;
            return id.isEmpty() ? -1 : std::max(-1, m_styleNames.value(id, -1));
        };
        for (int first = 0; first < int(book.styles.size()); ++first) {
            int i = first;
            while (i >= 0 && state[size_t(i)] == Open) {
                state[size_t(i)] = Resolving;
                chain.push_back(i);
                i = parentOf(i);
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

    // Names used before their Style element get their index, or none.
    void resolveForwardStyles()
    {
        if (m_forward.empty())
            return;
        auto fix = [&](int &s) {
            if (s >= ForwardStyle)
                s = m_forward[size_t(s - ForwardStyle)];
        };
        for (Worksheet &sheet : book.sheets) {
            fix(sheet.style);
            for (SheetColumn &c : sheet.columns)
                fix(c.style);
            for (SheetRow &r : sheet.rows) {
                fix(r.style);
                for (SheetCell &c : r.cells)
                    fix(c.style);
            }
            for (FormatRange &f : sheet.formatsToEdit())
                fix(f.style);
            for (RowRange &r : sheet.rowRangesToEdit())
                fix(r.style);
        }
    }

    void finish()
    {
        if (m_rootOffset < 0)
            throw ParseFailure{QStringLiteral("нет ни одного элемента: файл пуст или это не XML"), -1};
        resolveParents();
        resolveForwardStyles();
        if (book.sheets.empty())
            throw ParseFailure{QStringLiteral("в книге нет ни одного листа (Worksheet)"), m_rootOffset};
        if (m_activeFromWorkbook >= 0 && m_activeFromWorkbook < int(book.sheets.size()))
            book.activeSheet = m_activeFromWorkbook;
        else if (m_firstSelected >= 0)
            book.activeSheet = m_firstSelected;
        else
            book.activeSheet = 0;
    }

    // ---- sheets

    // A whole-number attribute from min to max; anything else is refused, naming it.
    int intIn(const xml::Attribute &a, int min, int max, const char *what)
    {
        const std::string_view v = m_value(a);
        const auto n = wholeNumber(v);
        if (!n || *n < min || *n > max)
            throw ParseFailure{QStringLiteral("%1 «%2» должен быть целым числом от %3 до %4")
                                   .arg(QString::fromUtf8(what), qstr(v))
                                   .arg(min)
                                   .arg(max),
                               ptrdiff_t(m_offset)};
        return int(*n);
    }

    Ctx beginWorksheet(const std::vector<xml::Attribute> &attrs)
    {
        m_sheet = Worksheet();
        m_above.clear(); // texts are shared within a sheet only
        for (const xml::Attribute &a : attrs) {
            const auto [ns, local] = m_scope.attribute(a, m_offset);
            if (ssAttr(ns) && is(local, "Name"))
                m_sheet.name = qstr(m_value(a));
        }
        if (m_sheet.name.isEmpty())
            m_sheet.name = QStringLiteral("Sheet%1").arg(book.sheets.size() + 1);
        return Ctx::Worksheet;
    }

    Ctx beginTable(const std::vector<xml::Attribute> &attrs)
    {
        for (const xml::Attribute &a : attrs) {
            const auto [ns, local] = m_scope.attribute(a, m_offset);
            if (!ssAttr(ns))
                continue;
            if (is(local, "StyleID"))
                m_sheet.style = styleOf(m_value(a));
            else if (is(local, "DefaultRowHeight"))
                m_sheet.defaultRowHeight = points(m_value(a));
            else if (is(local, "DefaultColumnWidth"))
                m_sheet.defaultColumnWidth = points(m_value(a));
        }
        m_rowEnd = 0;
        m_columnEnd = 0;
        m_columns.clear();
        return Ctx::Table;
    }

    void readColumn(const std::vector<xml::Attribute> &attrs)
    {
        int index = m_columnEnd + 1, span = 0;
        SheetColumn col;
        for (const xml::Attribute &a : attrs) {
            const auto [ns, local] = m_scope.attribute(a, m_offset);
            if (!ssAttr(ns))
                continue;
            if (is(local, "Index"))
                index = intIn(a, 1, MaxSheetColumns, "Номер столбца ss:Index");
            else if (is(local, "Span"))
                span = intIn(a, 0, MaxSheetColumns, "Повтор столбца ss:Span");
            else if (is(local, "Width"))
                col.width = points(m_value(a));
            else if (is(local, "StyleID"))
                col.style = styleOf(m_value(a));
            else if (is(local, "Hidden"))
                col.hidden = truth(m_value(a));
        }
        const int last = std::min(index + span, MaxSheetColumns);
        if (index <= last)
            m_columns.push_back({index, last, col});
        m_columnEnd = last;
    }

    // The table's columns, later elements over earlier ones: each column is
    // written once however long the spans, so a file of many wide spans costs
    // what the sheet has columns.
    void applyColumns()
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

    Ctx beginRow(const std::vector<xml::Attribute> &attrs)
    {
        m_row = SheetRow();
        m_row.index = m_rowEnd + 1;
        m_rowSpan = 0;
        for (const xml::Attribute &a : attrs) {
            const auto [ns, local] = m_scope.attribute(a, m_offset);
            if (!ssAttr(ns))
                continue;
            if (is(local, "Index"))
                m_row.index = intIn(a, 1, MaxSheetRows, "Номер строки ss:Index");
            else if (is(local, "Span"))
                m_rowSpan = intIn(a, 0, MaxSheetRows, "Повтор строки ss:Span");
            else if (is(local, "Height"))
                m_row.height = points(m_value(a));
            else if (is(local, "StyleID"))
                m_row.style = styleOf(m_value(a));
            else if (is(local, "Hidden"))
                m_row.hidden = truth(m_value(a));
        }
        if (m_row.index > MaxSheetRows)
            throw ParseFailure{QStringLiteral("номер строки больше %1").arg(MaxSheetRows), ptrdiff_t(m_offset)};
        m_cells.clear();
        m_cellEnd = 0;
        return Ctx::Row;
    }

    void endRow()
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

    Ctx beginCell(const std::vector<xml::Attribute> &attrs)
    {
        m_cell = SheetCell();
        int index = m_cellEnd + 1;
        for (const xml::Attribute &a : attrs) {
            const auto [ns, local] = m_scope.attribute(a, m_offset);
            if (!ssAttr(ns))
                continue;
            if (is(local, "Index"))
                index = intIn(a, 1, MaxSheetColumns, "Номер столбца ss:Index");
            else if (is(local, "StyleID"))
                m_cell.style = styleOf(m_value(a));
            else if (is(local, "MergeAcross"))
                m_cell.mergeAcross = intIn(a, 0, MaxSheetColumns - 1, "Объединение ss:MergeAcross");
            else if (is(local, "MergeDown"))
                m_cell.mergeDown = intIn(a, 0, MaxSheetRows - 1, "Объединение ss:MergeDown");
        }
        if (index > MaxSheetColumns)
            throw ParseFailure{QStringLiteral("номер столбца больше %1").arg(MaxSheetColumns), ptrdiff_t(m_offset)};
        m_cell.column = index;
        m_cell.mergeAcross = std::min(m_cell.mergeAcross, MaxSheetColumns - index);
        return Ctx::Cell;
    }

    void endCell()
    {
        m_cellEnd = m_cell.column + m_cell.mergeAcross;
        m_cells.push_back(m_cell);
    }

    Ctx beginData(const std::vector<xml::Attribute> &attrs)
    {
        m_dataType = CellType::String;
        for (const xml::Attribute &a : attrs) {
            const auto [ns, local] = m_scope.attribute(a, m_offset);
            if (!ssAttr(ns) || !is(local, "Type"))
                continue;
            const std::string_view t = m_value(a);
            m_dataType = is(t, "Number")     ? CellType::Number
                         : is(t, "Boolean")  ? CellType::Boolean
                         : is(t, "DateTime") ? CellType::DateTime
                         : is(t, "Error")    ? CellType::Error
                                           : CellType::String;
        }
        beginText();
        return Ctx::Data;
    }

    void endData()
    {
        SheetCell &cell = m_cell;
        const std::string_view bytes = collected();
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
        if (m_textMode == TextMode::Raw && m_dataType != CellType::Number) {
            if (cell.column > int(m_above.size()))
                m_above.resize(size_t(cell.column));
            above = &m_above[size_t(cell.column - 1)];
            if (same(above->bytes, bytes) && !above->text.isEmpty()) {
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
            above->bytes = bytes;
            above->text = cell.text;
        }
    }

    // UTF-8 into UTF-16 at d, the stand-ins as Kazakh letters (ќ is қ); the
    // letters of a name are one or two bytes each, anything else is Qt's.
    size_t decode(std::string_view bytes, char16_t *d)
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

    void endTable()
    {
        sortRows(m_sheet.rows);
        compactBlankRows(m_sheet);
        applyColumns();
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
            cells[out++] = cells[i];
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

    Scope m_scope;
    Values m_value;
    std::vector<Frame> m_frames;
    size_t m_depth = 0;
    size_t m_offset = 0;         // of the element being started
    ptrdiff_t m_rootOffset = -1; // -1 until the root element is seen

    enum class TextMode : unsigned char { None, Raw, Buffer };
    TextMode m_textMode = TextMode::None;
    std::string_view m_textRaw; // the one piece of text, when it needs no change
    std::string m_textBuffer;
    bool m_textHasChild = false, m_textHasValue = false;
    QStringDecoder m_utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};

    CellStyle m_style;
    std::string m_styleId, m_styleParent;
    ptrdiff_t m_styleAt = -1;
    struct Parent {
        QByteArray id;
        ptrdiff_t offset = -1; // of the Style element
    };
    std::vector<Parent> m_parents;
    QHash<QByteArray, int> m_styleNames; // index, or -2 - forward number
    std::vector<int> m_forward;          // forward number -> index, -1 for none
    std::string m_lastStyleName = "\x01";
    int m_lastStyle = -1;

    Worksheet m_sheet;
    struct PendingColumn {
        int index, last;
        SheetColumn column;
    };
    std::vector<PendingColumn> m_columns;
    int m_columnEnd = 0, m_rowEnd = 0, m_rowSpan = 0, m_cellEnd = 0;
    SheetRow m_row;
    std::vector<SheetCell> m_cells;
    SheetCell m_cell;
    CellType m_dataType = CellType::String;
    struct Above {
        std::string_view bytes; // into the bytes being read
        CellText text;
    };
    std::vector<Above> m_above; // per column

    int m_activeFromWorkbook = -1;
    int m_firstSelected = -1;
};

// Line and column (in characters) of a byte offset.
void position(std::string_view data, ptrdiff_t offset, Error *error)
{
    if (!error || offset < 0)
        return;
    const char *p = data.data();
    offset = std::min<ptrdiff_t>(offset, ptrdiff_t(data.size()));
    int line = 1;
    ptrdiff_t lineStart = 0;
    for (const char *q = p; (q = static_cast<const char *>(std::memchr(q, '\n', size_t(p + offset - q))));) {
        ++line;
        lineStart = ++q - p;
        if (q >= p + offset)
            break;
    }
    int column = 1;
    for (ptrdiff_t i = lineStart; i < offset; ++i)
        if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80)
            ++column;
    error->line = line;
    error->column = column;
}

// The encoding named by the XML declaration; empty when none is named.
QByteArray declaredEncoding(QByteArrayView data)
{
    if (!data.startsWith("<?xml"))
        return {};
    const qsizetype end = data.indexOf("?>");
    if (end < 0)
        return {};
    const QByteArrayView decl = data.first(end);
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
    return close < 0 ? QByteArray() : decl.sliced(i + 1, close - i - 1).toByteArray();
}

// UTF-16 and UTF-32 files, by their byte order mark or their first "<".
std::optional<QStringDecoder::Encoding> wideEncoding(std::string_view d)
{
    auto starts = [&](std::string_view p) { return d.substr(0, p.size()) == p; };
    using namespace std::string_view_literals;
    if (starts("\xFF\xFE\0\0"sv) || starts("<\0\0\0"sv))
        return QStringDecoder::Utf32LE;
    if (starts("\0\0\xFE\xFF"sv) || starts("\0\0\0<"sv))
        return QStringDecoder::Utf32BE;
    if (starts("\xFF\xFE"sv) || starts("<\0"sv))
        return QStringDecoder::Utf16LE;
    if (starts("\xFE\xFF"sv) || starts("\0<"sv))
        return QStringDecoder::Utf16BE;
    return std::nullopt;
}

std::optional<Workbook> parse(std::string_view data, Error *error, bool converted = false)
{
    auto fail = [&](const QString &message, ptrdiff_t offset) {
        if (error) {
            *error = Error{};
            error->message = message;
            position(data, offset, error);
        }
        return std::nullopt;
    };
    if (!converted) {
        // Whatever the file is in, it is read as UTF-8.
        if (const auto wide = wideEncoding(data)) {
            QStringDecoder decoder(*wide);
            const QByteArray utf8 = QString(decoder(QByteArrayView(data.data(), qsizetype(data.size())))).toUtf8();
            return parse(std::string_view(utf8.constData(), size_t(utf8.size())), error, true);
        }
        const QByteArray named = declaredEncoding(QByteArrayView(data.data(), qsizetype(std::min<size_t>(data.size(), 512))));
        const QByteArray enc = named.toLower();
        QByteArray utf8;
        if (enc == "windows-1251" || enc == "cp1251")
            utf8 = cp1251::decode(QByteArrayView(data.data(), qsizetype(data.size()))).toUtf8();
        else if (enc == "iso-8859-1" || enc == "latin1")
            utf8 = QString::fromLatin1(data.data(), qsizetype(data.size())).toUtf8();
        else if (!enc.isEmpty() && enc != "utf-8" && enc != "utf8" && enc != "utf-16" && enc != "us-ascii")
            return fail(QStringLiteral("кодировка «%1» не поддерживается (нужна UTF-8)").arg(QString::fromUtf8(named)), -1);
        if (!enc.isEmpty() && !utf8.isNull())
            return parse(std::string_view(utf8.constData(), size_t(utf8.size())), error, true);
    }
    try {
        Reader reader;
        xml::Scanner scanner(data);
        try {
            reader.read(scanner);
        } catch (const ParseFailure &f) {
            // Bytes that are not XML are the first thing to say.
            for (xml::Scanner::Token t = xml::Scanner::Token::Start; t != xml::Scanner::Token::Eof
                                                                    && t != xml::Scanner::Token::Doctype;)
                t = scanner.next();
            return fail(f.message, f.offset);
        }
        return std::move(reader.book);
    } catch (const xml::SyntaxError &e) {
        return fail(e.message, ptrdiff_t(e.offset));
    } catch (const std::bad_alloc &) {
        return fail(QStringLiteral("не хватило памяти"), -1);
    }
}

} // namespace

std::optional<Workbook> read(const QByteArray &input, Error *error)
{
    return parse(std::string_view(input.constData(), size_t(input.size())), error);
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
    // The file's pages as the system already holds them: read into fresh
    // memory, a large database spent most of its load having that memory
    // cleared page by page.
    const char *data = size > 0 ? reinterpret_cast<const char *>(file.map(0, size, QFileDevice::MapPrivateOption)) : nullptr;
    std::unique_ptr<char[]> heap;
    qsizetype got = data ? size : 0;
    if (!data) {
        heap.reset(new char[size_t(size) + 1]);
        data = heap.get();
    }
    while (got < size) {
        const qint64 n = file.read(heap.get() + got, size - got);
        if (n <= 0) {
            if (error) {
                *error = Error{};
                error->message = QStringLiteral("Не удалось прочитать файл %1: %2")
                                     .arg(name, fileFailureReason(errno, file.errorString()));
            }
            return std::nullopt;
        }
        got += n;
    }
    auto book = parse(std::string_view(data, size_t(size)), error);
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
