#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace gravik {

// 1.txt: 98 values, one a line. Lines 1..29 the values (Value, in its order),
// 30..32 font name, style and size, 33..98 the coordinate entries 1..66.
class StateFile
{
public:
    static constexpr int LineCount = 98;
    static constexpr int FontLine = 30, StyleLine = 31, SizeLine = 32, FirstCoordinateLine = 33;

    struct Error {
        QString message; // names the file, the line and the value
        int line = 0;
    };

    StateFile();
    explicit StateFile(QStringList values); // exactly LineCount values

    // Reads the file; more than 98 lines are ignored. A missing file, fewer lines,
    // or a size or coordinate that is not a number is an error.
    static std::optional<StateFile> load(const QString &path, Error *error);

    // Line breaks inside a value are written as spaces, so lines never shift.
    bool save(const QString &path, QString *error) const;
    QByteArray toBytes() const;

    const QString &line(int n) const { return m_values.at(n - 1); }
    void setLine(int n, const QString &v) { m_values[n - 1] = v; }
    const QStringList &values() const { return m_values; }

private:
    QStringList m_values;
};

} // namespace gravik
