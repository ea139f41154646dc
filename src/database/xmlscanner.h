#pragma once

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A pull scanner over the XML a spreadsheet file uses: elements, attributes,
// text, CDATA; comments and processing instructions are skipped. Nothing is
// built: each call gives the next tag or text as views into the bytes, which
// must outlive the scanner. Nesting is checked on an explicit stack, so any
// depth costs memory, not the call stack. A DOCTYPE stops it (no DTD, so no
// entity but the five predefined ones and character references).
namespace gravik::xml {

// Why and where the bytes are not XML; offset is that of the byte at fault.
struct SyntaxError {
    QString message; // in Russian
    size_t offset = 0;
};

struct Attribute {
    std::string_view name;
    std::string_view raw; // between the quotes, references not yet replaced
    bool plain;           // raw needs no decoding
};

class Scanner
{
public:
    enum class Token : unsigned char { Start, End, Text, CData, Doctype, Eof };

    explicit Scanner(std::string_view bytes);

    // The next token; throws SyntaxError.
    Token next();

    size_t offset() const { return m_tokenStart; } // of the token's first byte ('<' of a tag)
    std::string_view name() const { return m_name; } // Start, End: the qualified name
    bool selfClosing() const { return m_selfClosing; } // Start: <a/>, no End follows
    const std::vector<Attribute> &attributes() const { return m_attributes; } // Start
    std::string_view text() const { return m_text; } // Text, CData: raw
    bool textIsPlain() const { return m_textPlain; }   // Text: no reference, no \r: needs no decoding
    // Text: followed at once by an end tag (whitespace kept only there).
    bool beforeEndTag() const;
    size_t depth() const { return m_open.size(); }

private:
    [[noreturn]] void fail(const char *message, const char *at) const;
    const char *find(const char *from, std::string_view what, const char *message) const;
    void readName(const char *&p, const char *what) const;

    const char *m_begin, *m_end, *m_p;
    size_t m_tokenStart = 0;
    std::string_view m_name, m_text;
    bool m_selfClosing = false, m_textPlain = true;
    std::vector<Attribute> m_attributes;
    struct Open {
        std::string_view name;
        size_t offset;
    };
    std::vector<Open> m_open; // the open elements
};

inline bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isBlank(std::string_view text); // only whitespace

// Appends raw text or an attribute's raw value to out as the characters it
// stands for: the five entities and character references replaced (an unknown
// reference stays as it is), line ends made \n; in an attribute tabs and line
// ends become spaces.
void appendDecoded(std::string &out, std::string_view raw, bool attribute);

} // namespace gravik::xml
