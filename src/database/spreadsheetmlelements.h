#pragma once

#include "database/workbook.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringDecoder>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What the SpreadsheetML reader does with the elements the XML parser hands
// it: it keeps what it is inside of on a stack of its own and fills the
// workbook as they come, one handler per element. No tree of the document is
// built. The parser has already checked the XML, and the names arrive with
// their namespaces resolved.
namespace gravik::spreadsheetml::elements {

struct Position {
    int line = 0; // 1-based; 0: no position
    int column = 0;
};

// What is wrong with the content of well-formed XML, and where.
struct ContentError {
    QString message; // in Russian
    Position at;
};

enum class Ns : unsigned char { None, Ss, X, Other };

inline QString qstr(std::string_view v) { return QString::fromUtf8(v.data(), qsizetype(v.size())); }

// An element or attribute name: its namespace and local name.
struct Name {
    Ns ns = Ns::None;
    std::string_view local;

    bool ss(std::string_view l) const { return ns == Ns::Ss && local == l; }
    bool x(std::string_view l) const { return ns == Ns::X && local == l; }
    // An attribute of the spreadsheet namespace; unprefixed ones count as such.
    bool ssAttribute(std::string_view l) const { return (ns == Ns::Ss || ns == Ns::None) && local == l; }
};

struct Attribute {
    Name name;
    const char *value; // as the parser gives it, measured when read
};

// A start tag's attributes but the namespace declarations.
class Attributes
{
public:
    Attributes(const Attribute *list, size_t size) : m_list(list), m_size(size) {}

    template <typename F> // f(const Name &, std::string_view value)
    void forEach(F f) const
    {
        for (size_t i = 0; i < m_size; ++i)
            f(m_list[i].name, std::string_view(m_list[i].value));
    }

private:
    const Attribute *m_list;
    size_t m_size;
};

class Reader
{
public:
    // here() tells where the parser is: the start of the element being read.
    explicit Reader(std::function<Position()> here) : m_here(std::move(here)) {}

    // The parser's events; the handlers throw ContentError.
    void start(const Name &name, const Attributes &attributes);
    void end();
    void text(const char *s, int length);
    void cdataStart();
    void cdataEnd();
    void markup(); // a comment or a processing instruction

    // The workbook once the whole file is read.
    Workbook finish();

private:
    // What an open element is; the children of Ignore, Data and ActiveSheet
    // are not looked at but for their text.
    enum class Ctx : unsigned char {
        Document, Ignore, Workbook, Styles, Style, Borders, ExcelWorkbook, ActiveSheet, Worksheet,
        WorksheetOptions, Table, Row, Cell, Data, InText
    };
    using Handler = Ctx (Reader::*)(const Name &, const Attributes &);
    struct Rule {
        Ctx parent;
        Ns ns; // Ns::Other: any name of the spreadsheet namespace
        std::string_view local;
        Handler open;
    };
    static const Rule Rules[];

    Ctx parentCtx() const { return m_open.empty() ? Ctx::Document : m_open.back(); }
    bool inText() const
    {
        const Ctx c = parentCtx();
        return c == Ctx::Data || c == Ctx::ActiveSheet || c == Ctx::InText;
    }
    [[noreturn]] void fail(const QString &message) const { throw ContentError{message, m_here()}; }
    // A whole-number attribute from min to max; anything else is refused, naming it.
    int intIn(std::string_view value, int min, int max, const char *what) const;

    // One handler per element, each given the element's name and attributes,
    // returning what the element is.
    Ctx readWorkbook(const Name &, const Attributes &);
    Ctx readStyles(const Name &, const Attributes &) { return Ctx::Styles; }
    Ctx readStyle(const Name &, const Attributes &);
    Ctx readStylePart(const Name &, const Attributes &);
    Ctx readBorders(const Name &, const Attributes &) { return Ctx::Borders; }
    Ctx readBorder(const Name &, const Attributes &);
    Ctx readExcelWorkbook(const Name &, const Attributes &) { return Ctx::ExcelWorkbook; }
    Ctx readActiveSheet(const Name &, const Attributes &);
    Ctx readWorksheet(const Name &, const Attributes &);
    Ctx readWorksheetOptions(const Name &, const Attributes &) { return Ctx::WorksheetOptions; }
    Ctx readSelected(const Name &, const Attributes &);
    Ctx readTable(const Name &, const Attributes &);
    Ctx readColumn(const Name &, const Attributes &);
    Ctx readRow(const Name &, const Attributes &);
    Ctx readCell(const Name &, const Attributes &);
    Ctx readData(const Name &, const Attributes &);

    // ...and what ends with it.
    void endActiveSheet();
    void endStyle();
    void endTable();
    void endRow();
    void endCell();
    void endData();

    // Text of Data and ActiveSheet, as the elements inside it leave it:
    // whitespace between them goes, a value of whitespace alone stays.
    void beginText();
    void endRun(bool beforeEndTag);

    // Styles.
    int styleOf(std::string_view name);
    void resolveParents();
    void resolveForwardStyles();

    // Tables.
    void applyColumns();
    size_t decode(std::string_view bytes, char16_t *d);

    std::function<Position()> m_here;
    Workbook m_book;
    std::vector<Ctx> m_open; // the open elements
    Position m_root;         // line 0 until the root element is seen

    std::string m_text;     // collected so far
    size_t m_runStart = 0;  // of the run of text being read
    bool m_inRun = false, m_inCdata = false;
    bool m_textHasChild = false, m_textHasValue = false;
    QStringDecoder m_utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};

    CellStyle m_style;
    std::string m_styleId, m_styleParent;
    Position m_styleAt;
    struct Parent {
        QByteArray id;
        Position at; // of the Style element
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
        std::string bytes;
        CellText text;
    };
    std::vector<Above> m_above; // per column

    int m_activeFromWorkbook = -1;
    int m_firstSelected = -1;
};

} // namespace gravik::spreadsheetml::elements
