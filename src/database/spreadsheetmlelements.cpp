#include "database/spreadsheetmlelements.h"

#include "database/spreadsheetmlformat.h"

#include <algorithm>
#include <climits>

namespace gravik::spreadsheetml::elements {

namespace {

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

} // namespace

// Which element opens which handler inside which: anything else is ignored
// with all it holds.
const Reader::Rule Reader::Rules[] = {
    {Ctx::Row, Ns::Ss, "Cell", &Reader::readCell},
    {Ctx::Cell, Ns::Ss, "Data", &Reader::readData},
    {Ctx::Table, Ns::Ss, "Row", &Reader::readRow},
    {Ctx::Table, Ns::Ss, "Column", &Reader::readColumn},
    {Ctx::Document, Ns::Ss, "Workbook", &Reader::readWorkbook},
    {Ctx::Workbook, Ns::Ss, "Styles", &Reader::readStyles},
    {Ctx::Workbook, Ns::X, "ExcelWorkbook", &Reader::readExcelWorkbook},
    {Ctx::Workbook, Ns::Ss, "Worksheet", &Reader::readWorksheet},
    {Ctx::Styles, Ns::Ss, "Style", &Reader::readStyle},
    {Ctx::Style, Ns::Ss, "Borders", &Reader::readBorders},
    {Ctx::Style, Ns::Ss, "Alignment", &Reader::readStylePart},
    {Ctx::Style, Ns::Ss, "Font", &Reader::readStylePart},
    {Ctx::Style, Ns::Ss, "Interior", &Reader::readStylePart},
    {Ctx::Style, Ns::Ss, "NumberFormat", &Reader::readStylePart},
    {Ctx::Borders, Ns::Ss, "Border", &Reader::readBorder},
    {Ctx::ExcelWorkbook, Ns::X, "ActiveSheet", &Reader::readActiveSheet},
    {Ctx::Worksheet, Ns::Ss, "Table", &Reader::readTable},
    {Ctx::Worksheet, Ns::X, "WorksheetOptions", &Reader::readWorksheetOptions},
    {Ctx::WorksheetOptions, Ns::X, "Selected", &Reader::readSelected},
};

void Reader::start(const Name &n, const Attributes &attributes)
{
    endRun(false);
    const Ctx parent = parentCtx();
    if (parent == Ctx::Ignore) {
        m_open.push_back(Ctx::Ignore);
        return;
    }
    if (inText()) {
        // Rich text: only its letters count.
        m_open.push_back(Ctx::InText);
        m_textHasChild = m_textHasValue = false;
        return;
    }
    Ctx c = Ctx::Ignore;
    for (const Rule &r : Rules)
        if (r.parent == parent && r.ns == n.ns && r.local == n.local) {
            c = (this->*r.open)(n, attributes);
            break;
        }
    if (parent == Ctx::Document && c == Ctx::Ignore)
        fail(QStringLiteral("корневой элемент «%1» не является книгой SpreadsheetML "
                            "(ожидался Workbook из пространства имён %2)")
                 .arg(qstr(n.local), QString::fromLatin1(SpreadsheetNs)));
    m_open.push_back(c);
}

void Reader::end()
{
    endRun(true);
    const Ctx c = m_open.back();
    m_open.pop_back();
    switch (c) {
    case Ctx::Style: endStyle(); break;
    case Ctx::ActiveSheet: endActiveSheet(); break;
    case Ctx::Worksheet: m_book.sheets.push_back(std::move(m_sheet)); break;
    case Ctx::Table: endTable(); break;
    case Ctx::Row: endRow(); break;
    case Ctx::Cell: endCell(); break;
    case Ctx::Data: endData(); break;
    case Ctx::InText: m_textHasChild = true; break; // the element it was in now has a child
    default: break;
    }
}

int Reader::intIn(std::string_view value, int min, int max, const char *what) const
{
    const auto n = wholeNumber(value);
    if (!n || *n < min || *n > max)
        fail(QStringLiteral("%1 «%2» должен быть целым числом от %3 до %4")
                 .arg(QString::fromUtf8(what), qstr(value))
                 .arg(min)
                 .arg(max));
    return int(*n);
}

// ---- text

void Reader::beginText()
{
    m_textHasChild = m_textHasValue = false;
    m_text.clear();
    m_inRun = false;
}

void Reader::text(const char *s, int length)
{
    if (!inText())
        return;
    if (!m_inRun) {
        m_inRun = true;
        m_runStart = m_text.size();
    }
    m_text.append(s, size_t(length));
}

void Reader::markup() { endRun(false); }

void Reader::cdataStart()
{
    endRun(false);
    m_inCdata = true;
}

void Reader::cdataEnd()
{
    m_inCdata = false;
    m_inRun = false; // a CDATA section's text is kept as it is
    if (inText())
        m_textHasChild = true;
}

// A run of text ends at the next tag: one of whitespace alone goes unless it
// is all its element holds.
void Reader::endRun(bool beforeEndTag)
{
    if (!m_inRun || m_inCdata)
        return;
    m_inRun = false;
    const std::string_view run = std::string_view(m_text).substr(m_runStart);
    const bool blank = run.find_first_not_of(" \t\n\r") == std::string_view::npos;
    if (blank && (!beforeEndTag || m_textHasChild)) {
        m_text.resize(m_runStart);
        return;
    }
    if (!m_textHasChild && !m_textHasValue)
        m_textHasValue = true;
    else
        m_textHasChild = true;
}

// ---- the workbook and its sheets

Reader::Ctx Reader::readWorkbook(const Name &, const Attributes &)
{
    m_root = m_here();
    return Ctx::Workbook;
}

Reader::Ctx Reader::readActiveSheet(const Name &, const Attributes &)
{
    beginText();
    return Ctx::ActiveSheet;
}

void Reader::endActiveSheet()
{
    bool ok = false;
    const int v = qstr(m_text).trimmed().toInt(&ok);
    if (ok)
        m_activeFromWorkbook = v;
}

Reader::Ctx Reader::readWorksheet(const Name &, const Attributes &attributes)
{
    m_sheet = Worksheet();
    m_above.clear(); // texts are shared within a sheet only
    attributes.forEach([&](const Name &a, std::string_view v) {
        if (a.ssAttribute("Name"))
            m_sheet.name = qstr(v);
    });
    if (m_sheet.name.isEmpty())
        m_sheet.name = QStringLiteral("Sheet%1").arg(m_book.sheets.size() + 1);
    return Ctx::Worksheet;
}

Reader::Ctx Reader::readSelected(const Name &, const Attributes &)
{
    if (m_firstSelected < 0)
        m_firstSelected = int(m_book.sheets.size());
    return Ctx::Ignore;
}

Workbook Reader::finish()
{
    if (m_root.line == 0)
        throw ContentError{QStringLiteral("нет ни одного элемента: файл пуст или это не XML"), {}};
    resolveParents();
    resolveForwardStyles();
    if (m_book.sheets.empty())
        throw ContentError{QStringLiteral("в книге нет ни одного листа (Worksheet)"), m_root};
    if (m_activeFromWorkbook >= 0 && m_activeFromWorkbook < int(m_book.sheets.size()))
        m_book.activeSheet = m_activeFromWorkbook;
    else if (m_firstSelected >= 0)
        m_book.activeSheet = m_firstSelected;
    else
        m_book.activeSheet = 0;
    return std::move(m_book);
}

} // namespace gravik::spreadsheetml::elements
