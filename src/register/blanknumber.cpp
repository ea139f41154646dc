#include "register/blanknumber.h"

#include <QRegularExpression>

namespace gravik::blanks {

std::optional<BlankNumber> BlankNumber::of(const QString &series, const QString &digits)
{
    static const QRegularExpression letters(QStringLiteral("^\\p{L}+$"));
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,%1}$").arg(MaxDigits));
    const QString s = series.trimmed(), d = digits.trimmed();
    if (!letters.match(s).hasMatch() || !number.match(d).hasMatch())
        return std::nullopt;
    return BlankNumber{s, d};
}

std::optional<BlankNumber> BlankNumber::parse(const QString &text)
{
    static const QRegularExpression whole(QStringLiteral("^\\s*(\\p{L}+)\\s*([0-9]+)\\s*$"));
    const auto m = whole.match(text);
    return m.hasMatch() ? of(m.captured(1), m.captured(2)) : std::nullopt;
}

BlankNumber BlankNumber::plus(qint64 n) const
{
    return {series, QStringLiteral("%1").arg(value() + n, int(digits.size()), 10, QLatin1Char('0'))};
}

QString runText(const BlankNumber &first, const BlankNumber &last)
{
    if (first == last)
        return first.text();
    return first.text() + QChar(0x2013) + (first.series == last.series ? last.digits : last.text());
}

} // namespace gravik::blanks
