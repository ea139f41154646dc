#include "language/translationtable.h"

#include "core/builtinstrings.h"
#include "core/programdir.h"
#include "core/textfile.h"

#include <QDir>
#include <QFileInfo>

namespace gravik {

TranslationTable::TranslationTable() : m_lines(builtIn()) {}

static_assert(TranslationTable::StringCount == builtinstrings::Count);

const QStringList &TranslationTable::builtIn() { return builtinstrings::all(); }

int TranslationTable::kazakhLineOf(int ru)
{
    if ((ru >= 1 && ru <= 32) || ru == 57)
        return ru + 57;
    if (ru >= 36 && ru <= 42)
        return ru + 54;
    if (ru == 44 || ru == 45)
        return ru + 53;
    if (ru >= 47 && ru <= 56)
        return ru + 52;
    switch (ru) {
    case 33: return 109;
    case 34: return 110;
    case 35: return 111;
    case 43: return 112;
    case 46: return 113;
    default: return 0;
    }
}

int TranslationTable::russianLineOf(int kz)
{
    for (int ru = 1; ru <= RussianCount; ++ru)
        if (kazakhLineOf(ru) == kz)
            return ru;
    return 0;
}

QString TranslationTable::defaultPath()
{
    return programdir::file(QStringLiteral("data/languare.txt"));
}

TranslationTable TranslationTable::load(const QString &path, QString *problem)
{
    TranslationTable t;
    QString error;
    const auto lines = textfile::readLines(path, &error);
    const QString name = QDir::toNativeSeparators(path);
    QString what;
    if (!lines) {
        what = error;
    } else if (lines->isEmpty()) {
        what = QStringLiteral("Файл %1 пуст").arg(name);
    } else {
        const int n = int(std::min<qsizetype>(lines->size(), StringCount));
        for (int i = 0; i < n; ++i)
            t.m_lines[i] = lines->at(i);
        if (n < StringCount)
            what = QStringLiteral("В файле %1 %2 строк вместо %3; строки с %4 по %3")
                       .arg(name).arg(n).arg(StringCount).arg(n + 1);
    }
    if (problem) {
        if (what.isEmpty())
            problem->clear();
        else if (lines && !lines->isEmpty())
            *problem = what + QStringLiteral(" взяты из встроенной таблицы.");
        else
            *problem = what + QStringLiteral(". Используются встроенные строки интерфейса.");
    }
    return t;
}

bool TranslationTable::save(const QString &path, QString *error) const
{
    QStringList out;
    out.reserve(StringCount);
    for (const QString &s : m_lines)
        out.append(textfile::singleLine(s));
    QDir().mkpath(QFileInfo(path).absolutePath()); // a missing data folder is made again
    return textfile::writeLines(path, out, error);
}

} // namespace gravik
