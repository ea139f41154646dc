#pragma once

#include <QString>

#include <cstddef>
#include <cstring>
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
    size_t colon;         // of the first ':' in name; npos: none
};

// Whether n bytes at a and b are equal: a word at a time, the last word
// overlapping, as names and cell values are a few bytes long.
[[gnu::always_inline]] inline bool sameBytes(const char *a, const char *b, size_t n)
{
    const auto word8 = [](const char *p) { unsigned long long w; std::memcpy(&w, p, 8); return w; };
    const auto word4 = [](const char *p) { unsigned w; std::memcpy(&w, p, 4); return w; };
    if (n >= 8) {
        for (size_t i = 0; i + 8 < n; i += 8)
            if (word8(a + i) != word8(b + i))
                return false;
        return word8(a + n - 8) == word8(b + n - 8);
    }
    if (n >= 4)
        return word4(a) == word4(b) && word4(a + n - 4) == word4(b + n - 4);
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

class Scanner
{
public:
    enum class Token : unsigned char { Start, End, Text, CData, Doctype, Eof };

    explicit Scanner(std::string_view bytes);

    // The next token; throws SyntaxError.
    Token next();

    size_t offset() const { return m_tokenStart; } // of the token's first byte ('<' of a tag)
    std::string_view name() const { return m_name; } // Start, End: the qualified name
    size_t nameColon() const { return m_nameColon; } // Start: of the first ':' in name(); npos: none
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
    // The name at p when it is `name` again (followed by no name character).
    bool repeats(const char *p, std::string_view name) const;

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
    // Siblings repeat their names and their attributes' names: the last start
    // tag at each depth, compared before anything is scanned.
    struct Names {
        std::string_view name;
        size_t colon = std::string_view::npos;
        std::vector<std::pair<std::string_view, size_t>> attributes; // name, colon
    };
    std::vector<Names> m_siblings;
    size_t m_nameColon = std::string_view::npos;
};

inline bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isBlank(std::string_view text); // only whitespace

// Appends raw text or an attribute's raw value to out as the characters it
// stands for: the five entities and character references replaced (an unknown
// reference stays as it is), line ends made \n; in an attribute tabs and line
// ends become spaces.
void appendDecoded(std::string &out, std::string_view raw, bool attribute);

} // namespace gravik::xml
