#include "core/cp1251.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

namespace gravik::cp1251 {
namespace {

struct Tables {
    bool ok = false;
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, uchar> toByte;
};

// Built once from Qt's own converter, then used as plain lookups.
const Tables &tables()
{
    static const Tables t = [] {
        Tables r;
        QStringDecoder dec("windows-1251", QStringDecoder::Flag::Stateless);
        if (!dec.isValid())
            return r;
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QString text = dec.decode(all);
        if (text.size() != 256)
            return r;
        for (int b = 0; b < 256; ++b) {
            r.toUnicode[b] = text.at(b).unicode();
            r.toByte.insert(text.at(b).unicode(), uchar(b));
        }
        r.ok = r.toByte.size() == 256;
        return r;
    }();
    return t;
}

char16_t fold(char16_t c)
{
    switch (c) {
    case 0x04D8: return 0x0408; // Ә -> Ј
    case 0x04D9: return 0x0458; // ә -> ј
    case 0x0492: return 0x0404; // Ғ -> Є
    case 0x0493: return 0x0454; // ғ -> є
    case 0x049A: return 0x040C; // Қ -> Ќ
    case 0x049B: return 0x045C; // қ -> ќ
    case 0x04A2: return 0x0405; // Ң -> Ѕ
    case 0x04A3: return 0x0455; // ң -> ѕ
    case 0x04E8: return 0x0490; // Ө -> Ґ
    case 0x04E9: return 0x0491; // ө -> ґ
    case 0x04B0: return 0x040E; // Ұ -> Ў
    case 0x04B1: return 0x045E; // ұ -> ў
    case 0x04AE: return 0x0407; // Ү -> Ї
    case 0x04AF: return 0x0457; // ү -> ї
    default: return c;
    }
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
        const auto it = t.toByte.constFind(fold(text[i].unicode()));
        out[i] = it == t.toByte.cend() ? '?' : char(it.value());
    }
    return out;
}

QString foldKazakh(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        d[i] = QChar(fold(text[i].unicode()));
    return out;
}

bool encodable(QChar c)
{
    return tables().toByte.contains(fold(c.unicode()));
}

QString keepEncodable(QStringView text, bool *dropped)
{
    QString out;
    out.reserve(text.size());
    bool any = false;
    for (QChar c : text) {
        const QChar f(fold(c.unicode()));
        if (tables().toByte.contains(f.unicode()))
            out.append(f);
        else
            any = true;
    }
    if (dropped)
        *dropped = any;
    return out;
}

} // namespace gravik::cp1251
