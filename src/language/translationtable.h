#pragma once

#include <QString>
#include <QStringList>

namespace gravik {

// The 114 interface strings: lines 1 to 57 Russian, 58 to 114 Kazakh. Kazakh
// strings hold the stored letter forms of code page 1251 and are never converted.
class TranslationTable
{
public:
    static constexpr int StringCount = 114;
    static constexpr int RussianCount = 57;

    // The built-in strings.
    TranslationTable();

    static const QStringList &builtIn();

    // The Kazakh line that translates Russian line n (1 to 57), and back; 0 when
    // the number is outside the range.
    static int kazakhLineOf(int russianLine);
    static int russianLineOf(int kazakhLine);

    // String n, 1 to 114.
    const QString &text(int n) const { return m_lines.at(n - 1); }
    void setText(int n, const QString &text) { m_lines[n - 1] = text; }
    const QStringList &lines() const { return m_lines; }

    // data/languare.txt of the program directory.
    static QString defaultPath();

    // Reads the first 114 lines of a file; lines past them are ignored. Strings
    // the file lacks (missing, empty or short file) keep their built-in text,
    // and *problem then says which file and what was wrong.
    static TranslationTable load(const QString &path, QString *problem = nullptr);

    // Writes exactly 114 lines, replacing the file in one step. A line break
    // inside a string would shift every later line, so it becomes a blank.
    bool save(const QString &path, QString *error = nullptr) const;

    bool operator==(const TranslationTable &) const = default;

private:
    QStringList m_lines;
};

} // namespace gravik
