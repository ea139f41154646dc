#include "core/statefile.h"

#include "core/coordinatetable.h"
#include "core/atomicfile.h"
#include "core/textfile.h"

#include <QDir>

namespace gravik {

StateFile::StateFile() : m_values(LineCount) {}

StateFile::StateFile(QStringList values) : m_values(std::move(values))
{
    m_values.resize(LineCount);
}

std::optional<StateFile> StateFile::load(const QString &path, Error *error)
{
    const QString name = QDir::toNativeSeparators(path);
    QString readError;
    auto lines = textfile::readLines(path, &readError);
    if (!lines) {
        if (error)
            *error = {readError, 0};
        return std::nullopt;
    }
    if (lines->size() < LineCount) {
        if (error)
            *error = {QStringLiteral("Файл %1: строка %2 отсутствует (в файле %3 строк из %4)")
                          .arg(name)
                          .arg(lines->size() + 1)
                          .arg(lines->size())
                          .arg(LineCount),
                      int(lines->size() + 1)};
        return std::nullopt;
    }
    lines->resize(LineCount);
    for (int n = SizeLine; n <= LineCount; ++n) {
        if (!CoordinateTable::toNumber(lines->at(n - 1))) {
            if (error)
                *error = {QStringLiteral("Файл %1, строка %2: значение \"%3\" не является числом")
                              .arg(name)
                              .arg(n)
                              .arg(lines->at(n - 1)),
                          n};
            return std::nullopt;
        }
    }
    return StateFile(std::move(*lines));
}

QByteArray StateFile::toBytes() const
{
    QStringList clean;
    clean.reserve(m_values.size());
    for (const QString &v : m_values)
        clean.append(textfile::singleLine(v));
    return textfile::joinLines(clean);
}

bool StateFile::save(const QString &path, QString *error) const
{
    return writeFileAtomically(path, toBytes(), error);
}

} // namespace gravik
