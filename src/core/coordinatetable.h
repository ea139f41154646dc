#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace gravik {

// The 66 position entries: entry 2N-1 is field N's top edge Y, entry 2N its left
// edge X, in twips. Entries stay text and are read as decimals only when placing.
class CoordinateTable
{
public:
    static constexpr int EntryCount = 66;

    CoordinateTable(); // holds the defaults

    const QString &entry(int k) const { return m_entries.at(k - 1); }
    void setEntry(int k, const QString &text) { m_entries[k - 1] = text; }

    static int yEntry(int field) { return 2 * field - 1; }
    static int xEntry(int field) { return 2 * field; }

    // A number beyond any position (a hand edit) is read as this many twips,
    // so that every entry converts to int without overflow.
    static constexpr float MaxMagnitude = 1 << 24;
    // The entry read as a single-precision decimal (within +-MaxMagnitude), or
    // nullopt when it is not a number.
    std::optional<float> number(int k) const { return toNumber(entry(k)); }
    static std::optional<float> toNumber(const QString &text);

    const QStringList &entries() const { return m_entries; }
    static QStringList defaults();

private:
    QStringList m_entries;
};

} // namespace gravik
