#include "database/xmlscanner.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gravik::xml {

namespace {

// What each byte can be: a table, as the scanner asks for every byte of a name.
enum : unsigned char { NameStart = 1, NameChar = 2, Space = 4 };

constexpr std::array<unsigned char, 256> classes = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const bool start = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
        if (start)
            t[size_t(c)] |= NameStart | NameChar;
        if ((c >= '0' && c <= '9') || c == '-' || c == '.')
            t[size_t(c)] |= NameChar;
    }
    for (char c : {' ', '\t', '\n', '\r'})
        t[size_t(c)] |= Space;
    return t;
}();

bool nameStart(unsigned char c) { return classes[c] & NameStart; }
bool nameChar(unsigned char c) { return classes[c] & NameChar; }
bool space(char c) { return classes[static_cast<unsigned char>(c)] & Space; }

// The first `stop` byte from p on (or end), and in *special whether a byte of
// `specials` (four, repeated to fill) came before it. Texts and attribute
// values are most of the file's bytes: sixteen at a time where the processor can.
const char *scanTo(const char *p, const char *end, char stop, const char (&specials)[4], bool *special)
{
    bool seen = false;
#if defined(__SSE2__)
    const __m128i s = _mm_set1_epi8(stop), a = _mm_set1_epi8(specials[0]), b = _mm_set1_epi8(specials[1]),
                  c = _mm_set1_epi8(specials[2]), d = _mm_set1_epi8(specials[3]);
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const unsigned stops = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, s)));
        const unsigned marks = unsigned(_mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, a), _mm_cmpeq_epi8(v, b)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, c), _mm_cmpeq_epi8(v, d)))));
        if (stops) {
            *special = seen || (marks & ((stops & -stops) - 1));
            return p + __builtin_ctz(stops);
        }
        seen = seen || marks;
    }
#endif
    for (; p < end && *p != stop; ++p)
        seen = seen || *p == specials[0] || *p == specials[1] || *p == specials[2] || *p == specials[3];
    *special = seen;
    return p;
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The reference at raw[i] ('&'): the characters it stands for, and its length;
// 0 when it is none the parser knows.
size_t reference(std::string_view raw, size_t i, std::string &out)
{
    const std::string_view rest = raw.substr(i + 1);
    static constexpr std::pair<std::string_view, char> named[] = {
        {"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"quot;", '"'}, {"apos;", '\''}};
    for (const auto &[name, c] : named)
        if (rest.substr(0, name.size()) == name) {
            out += c;
            return name.size() + 1;
        }
    if (rest.empty() || rest[0] != '#')
        return 0;
    const bool hex = rest.size() > 1 && rest[1] == 'x';
    size_t k = hex ? 2 : 1;
    char32_t code = 0;
    const size_t first = k;
    for (; k < rest.size() && k < first + 8; ++k) {
        const char c = rest[k];
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0)
            break;
        code = code * (hex ? 16 : 10) + char32_t(d);
    }
    if (k == first || k >= rest.size() || rest[k] != ';' || code > 0x10FFFF)
        return 0;
    appendUtf8(out, code);
    return k + 2;
}

} // namespace

bool isBlank(std::string_view text)
{
    for (char c : text)
        if (!isSpace(c))
            return false;
    return true;
}

void appendDecoded(std::string &out, std::string_view raw, bool attribute)
{
    for (size_t i = 0; i < raw.size();) {
        const char c = raw[i];
        if (c == '&') {
            if (const size_t n = reference(raw, i, out)) {
                i += n;
                continue;
            }
            out += '&';
        } else if (c == '\r') {
            out += attribute ? ' ' : '\n';
            if (i + 1 < raw.size() && raw[i + 1] == '\n')
                ++i;
        } else if (attribute && (c == '\n' || c == '\t')) {
            out += ' ';
        } else {
            // A run without anything to replace goes in one piece.
            size_t j = i + 1;
            while (j < raw.size() && raw[j] != '&' && raw[j] != '\r' && !(attribute && (raw[j] == '\n' || raw[j] == '\t')))
                ++j;
            out.append(raw.data() + i, j - i);
            i = j;
            continue;
        }
        ++i;
    }
}

Scanner::Scanner(std::string_view bytes)
    : m_begin(bytes.data()), m_end(bytes.data() + bytes.size()), m_p(bytes.data())
{
    if (bytes.size() >= 3 && std::memcmp(m_p, "\xEF\xBB\xBF", 3) == 0)
        m_p += 3;
}

void Scanner::fail(const char *message, const char *at) const
{
    throw SyntaxError{QString::fromUtf8(message), size_t(at - m_begin)};
}

const char *Scanner::find(const char *from, std::string_view what, const char *message) const
{
    const char *p = from;
    while (m_end - p >= ptrdiff_t(what.size())) {
        const void *hit = std::memchr(p, what[0], size_t(m_end - p) - what.size() + 1);
        if (!hit)
            break;
        p = static_cast<const char *>(hit);
        if (std::memcmp(p, what.data(), what.size()) == 0)
            return p;
        ++p;
    }
    fail(message, m_end);
}

namespace {

// The length of the run of name characters at p, sixteen bytes at a time where
// the processor can. Name characters: - . 0-9 : A-Z _ a-z and every byte of a
// multi-byte letter (0x80 and up).
size_t nameLength(const char *p, const char *end)
{
    const char *q = p;
#if defined(__SSE2__)
    const auto in = [](__m128i v, char lo, char hi) { // lo <= v <= hi, unsigned
        const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8(lo));
        return _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(char(hi - lo))), d);
    };
    for (; end - q >= 16; q += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q));
        // Folding case maps the letters onto a-z and moves nothing else of 0x20 and up into the ranges.
        const __m128i w = _mm_or_si128(v, _mm_set1_epi8(0x20));
        const __m128i printable = _mm_cmpgt_epi8(v, _mm_set1_epi8(0x1F)); // and not 0x80 and up (signed)
        const __m128i ascii = _mm_and_si128(
            printable, _mm_or_si128(_mm_or_si128(in(w, '-', '.'), in(w, '0', ':')), in(w, 'a', 'z')));
        const unsigned name = unsigned(_mm_movemask_epi8(_mm_or_si128(ascii, _mm_cmpeq_epi8(v, _mm_set1_epi8('_')))))
                              | unsigned(_mm_movemask_epi8(v)); // 0x80 and up
        if (name != 0xFFFF)
            return size_t(q - p) + size_t(__builtin_ctz(~name));
    }
#endif
    while (q < end && nameChar(static_cast<unsigned char>(*q)))
        ++q;
    return size_t(q - p);
}

size_t colonIn(std::string_view name)
{
    const void *c = std::memchr(name.data(), ':', name.size());
    return c ? size_t(static_cast<const char *>(c) - name.data()) : std::string_view::npos;
}

} // namespace

inline void Scanner::readName(const char *&p, const char *what) const
{
    if (p >= m_end || !nameStart(static_cast<unsigned char>(*p)))
        fail(what, p);
    p += 1 + nameLength(p + 1, m_end);
}

inline bool Scanner::repeats(const char *p, std::string_view name) const
{
    return !name.empty() && size_t(m_end - p) > name.size() && sameBytes(p, name.data(), name.size())
           && !nameChar(static_cast<unsigned char>(p[name.size()]));
}

bool Scanner::beforeEndTag() const
{
    const char *after = m_text.data() + m_text.size();
    return m_end - after >= 2 && after[0] == '<' && after[1] == '/';
}

Scanner::Token Scanner::next()
{
    for (;;) {
        const char *p = m_p;
        m_tokenStart = size_t(p - m_begin);
        if (p >= m_end) {
            if (!m_open.empty())
                throw SyntaxError{QStringLiteral("файл оборван: элемент «%1» не закрыт")
                                      .arg(QString::fromUtf8(m_open.back().name.data(), qsizetype(m_open.back().name.size()))),
                                  m_open.back().offset};
            return Token::Eof;
        }
        if (*p != '<') {
            // One scan finds both the end and whether anything in it needs replacing.
            bool special = false;
            const char *e = scanTo(p, m_end, '<', {'&', '\r', '&', '\r'}, &special);
            m_textPlain = !special;
            m_text = std::string_view(p, size_t(e - p));
            m_p = e;
            return Token::Text;
        }
        const char *q = p + 1;
        if (q >= m_end)
            fail("испорчен открывающий тег", q);
        if (*q == '/') {
            ++q;
            const char *nameAt = q;
            // Nearly always the name of the element open: compared, not scanned.
            const bool matched = !m_open.empty() && repeats(q, m_open.back().name);
            if (matched)
                q += m_open.back().name.size();
            else
                readName(q, "испорчен закрывающий тег");
            m_name = std::string_view(nameAt, size_t(q - nameAt));
            while (q < m_end && space(*q))
                ++q;
            if (q >= m_end || *q != '>')
                fail("испорчен закрывающий тег", q);
            if (!matched && (m_open.empty() || m_open.back().name != m_name))
                fail("закрывающий тег не соответствует открывающему", p);
            m_open.pop_back();
            m_p = q + 1;
            return Token::End;
        }
        if (*q == '?') {
            m_p = find(q + 1, "?>", "испорчена инструкция обработки или объявление XML") + 2;
            continue;
        }
        if (*q == '!') {
            const std::string_view rest(q, size_t(m_end - q));
            if (rest.substr(0, 3) == "!--") {
                m_p = find(q + 3, "-->", "испорчен комментарий") + 3;
                continue;
            }
            if (rest.substr(0, 8) == "![CDATA[") {
                const char *close = find(q + 8, "]]>", "испорчен раздел CDATA");
                m_text = std::string_view(q + 8, size_t(close - q - 8));
                m_p = close + 3;
                return Token::CData;
            }
            if (rest.substr(0, 8) == "!DOCTYPE")
                return Token::Doctype;
            fail(rest.substr(0, 2) == "!-" ? "испорчен комментарий" : "непонятный тег", p);
        }
        const size_t depth = m_open.size();
        if (depth >= m_siblings.size())
            m_siblings.resize(depth + 1);
        Names &sibling = m_siblings[depth];
        if (repeats(q, sibling.name)) {
            m_name = std::string_view(q, sibling.name.size());
            q += m_name.size();
        } else {
            const char *nameAt = q;
            readName(q, "непонятный тег");
            m_name = std::string_view(nameAt, size_t(q - nameAt));
            sibling.name = m_name;
            sibling.colon = colonIn(m_name);
            sibling.attributes.clear();
        }
        m_nameColon = sibling.colon;
        m_attributes.clear();
        for (;;) {
            const char *before = q;
            while (q < m_end && space(*q))
                ++q;
            if (q >= m_end)
                fail("испорчен открывающий тег", q);
            if (*q == '>') {
                m_selfClosing = false;
                m_open.push_back({m_name, m_tokenStart});
                m_p = q + 1;
                return Token::Start;
            }
            if (*q == '/') {
                if (q + 1 >= m_end || q[1] != '>')
                    fail("испорчен открывающий тег", q);
                m_selfClosing = true;
                m_p = q + 2;
                return Token::Start;
            }
            if (q == before || !nameStart(static_cast<unsigned char>(*q)))
                fail("испорчен атрибут", q);
            const size_t i = m_attributes.size();
            std::string_view attrName;
            size_t colon;
            if (i < sibling.attributes.size() && repeats(q, sibling.attributes[i].first)) {
                attrName = std::string_view(q, sibling.attributes[i].first.size());
                colon = sibling.attributes[i].second;
                q += attrName.size();
            } else {
                const char *attrAt = q;
                readName(q, "испорчен атрибут");
                attrName = std::string_view(attrAt, size_t(q - attrAt));
                colon = colonIn(attrName);
                sibling.attributes.resize(i);
                sibling.attributes.emplace_back(attrName, colon);
            }
            while (q < m_end && space(*q))
                ++q;
            if (q >= m_end || *q != '=')
                fail("испорчен атрибут", q);
            ++q;
            while (q < m_end && space(*q))
                ++q;
            if (q >= m_end || (*q != '"' && *q != '\''))
                fail("испорчен атрибут", q);
            const char quote = *q++;
            bool special = false;
            const char *c = scanTo(q, m_end, quote, {'&', '\r', '\n', '\t'}, &special);
            if (c >= m_end)
                fail("испорчен атрибут", m_end);
            m_attributes.push_back({attrName, std::string_view(q, size_t(c - q)), !special, colon});
            q = c + 1;
        }
    }
}

} // namespace gravik::xml
