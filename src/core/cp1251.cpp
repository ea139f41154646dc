#include "core/cp1251.h"

#include <QHash>

#include <array>

namespace gravik::cp1251 {
namespace {

// The letters of code page 1251 at the bytes where KZ-1048 has a Kazakh
// letter, and those letters.
constexpr std::array<std::pair<char16_t, char16_t>, 16> kKazakh = {{
    {u'Ќ', u'Қ'}, {u'ќ', u'қ'}, {u'Ћ', u'Һ'}, {u'ћ', u'һ'},
    {u'Ў', u'Ұ'}, {u'ў', u'ұ'}, {u'Ј', u'Ә'}, {u'ј', u'ә'},
    {u'Ґ', u'Ө'}, {u'ґ', u'ө'}, {u'Є', u'Ғ'}, {u'є', u'ғ'},
    {u'Ї', u'Ү'}, {u'ї', u'ү'}, {u'Ѕ', u'Ң'}, {u'ѕ', u'ң'},
}};

// Stand-ins lie in U+0404..U+0491, the letters in U+0492..U+04E9: one table
// over that stretch serves both directions.
constexpr char16_t kFirst = 0x0400, kLast = 0x04FF;

struct Tables {
    bool ok = false;
    std::array<char16_t, 256> toUnicode{};
    std::array<char16_t, kLast - kFirst + 1> swap{}; // stand-in <-> letter, 0 for neither
    std::array<int16_t, kLast + 1> lowByte{};        // byte of U+0000..U+04FF, -1 for none
    QHash<char16_t, uchar> highByte;                 // byte of the rest
};

// Built once from the system's own converter, then used as plain lookups.
const Tables &tables()
{
    static const Tables t = [] {
        Tables r;
        r.lowByte.fill(-1);
        for (const auto &[standIn, letter] : kKazakh) {
            r.swap[standIn - kFirst] = letter;
            r.swap[letter - kFirst] = standIn;
        }
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QString text = systemDecode(all);
        if (text.size() != 256)
            return r;
        int codes = 0;
        auto add = [&](char16_t c, int b) {
            if (c <= kLast) {
                codes += r.lowByte[c] < 0;
                r.lowByte[c] = int16_t(b);
            } else {
                codes += !r.highByte.contains(c);
                r.highByte.insert(c, uchar(b));
            }
        };
        for (int b = 0; b < 256; ++b) {
            const char16_t c = text.at(b).unicode();
            const bool standIn = c >= kFirst && c <= kLast && r.swap[c - kFirst] && c < 0x0492;
            r.toUnicode[b] = standIn ? r.swap[c - kFirst] : c;
            add(c, b);
            if (standIn)
                add(r.toUnicode[b], b);
        }
        r.ok = codes == 256 + int(kKazakh.size());
        return r;
    }();
    return t;
}

int byteOf(const Tables &t, char16_t c)
{
    if (c <= kLast)
        return t.lowByte[c];
    const auto it = t.highByte.constFind(c);
    return it == t.highByte.cend() ? -1 : it.value();
}

// Replaces each character in [from, to) by its partner, in place.
QString swapRange(QString text, char16_t from, char16_t to)
{
    const Tables &t = tables();
    const char16_t *u = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype n = text.size();
    auto changes = [&](char16_t c) { return char16_t(c - from) < char16_t(to - from) && t.swap[c - kFirst]; };
    qsizetype i = 0;
    while (i < n && !changes(u[i]))
        ++i;
    if (i == n)
        return text;
    char16_t *d = reinterpret_cast<char16_t *>(text.data()); // copies only when shared
    for (; i < n; ++i)
        if (changes(d[i]))
            d[i] = t.swap[d[i] - kFirst];
    return text;
}

} // namespace

bool available() { return tables().ok; }

QString decode(QByteArrayView bytes)
{
    const Tables &t = tables();
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        d[i] = QChar(t.toUnicode[uchar(bytes[i])]);
    return out;
}

QByteArray encode(QStringView text)
{
    const Tables &t = tables();
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = byteOf(t, text[i].unicode());
        out[i] = b < 0 ? '?' : char(b);
    }
    return out;
}

QString kazakhLetters(QString text) { return swapRange(std::move(text), kFirst, 0x0492); }

void kazakhLetters(char16_t *text, qsizetype n)
{
    const Tables &t = tables();
    for (qsizetype i = 0; i < n; ++i)
        if (char16_t(text[i] - kFirst) < char16_t(0x0492 - kFirst) && t.swap[text[i] - kFirst])
            text[i] = t.swap[text[i] - kFirst];
}

QString storedForms(QString text) { return swapRange(std::move(text), 0x0492, kLast + 1); }

char32_t standInOf(char32_t letter)
{
    if (letter < 0x0492 || letter > kLast)
        return letter;
    const char16_t s = tables().swap[letter - kFirst];
    return s ? s : letter;
}

bool encodable(QChar c)
{
    return byteOf(tables(), c.unicode()) >= 0;
}

QString keepEncodable(QStringView text, bool *dropped)
{
    const Tables &t = tables();
    QString out;
    out.reserve(text.size());
    bool any = false;
    for (QChar c : text) {
        const int b = byteOf(t, c.unicode());
        if (b >= 0)
            out.append(QChar(t.toUnicode[b]));
        else
            any = true;
    }
    if (dropped)
        *dropped = any;
    return out;
}

} // namespace gravik::cp1251
