#pragma once

#include <QString>

#include <optional>

namespace gravik::blanks {

// A blank's printed series and number: letters, then digits whose count is
// kept, so "ЖОБ 0012345" is followed by "ЖОБ 0012346".
struct BlankNumber {
    QString series;
    QString digits;

    // "ЖОБ 0012345", "ЖОБ0012345"; nullopt for anything else.
    static std::optional<BlankNumber> parse(const QString &text);
    // Series and digits checked one by one, as the operator types them.
    static std::optional<BlankNumber> of(const QString &series, const QString &digits);

    QString text() const { return series + QLatin1Char(' ') + digits; }
    qint64 value() const { return digits.toLongLong(); }
    // The blank n places further on, as many digits at least.
    BlankNumber plus(qint64 n) const;

    friend bool operator==(const BlankNumber &, const BlankNumber &) = default;
};

// The most digits a number may have.
inline constexpr int MaxDigits = 15;

// "ЖОБ 0012345–0012347" for a run of blanks of one series, "ЖОБ 0012345" for one.
QString runText(const BlankNumber &first, const BlankNumber &last);

} // namespace gravik::blanks
