#include "core/textfile.h"

#include "core/atomicfile.h"
#include "core/cp1251.h"

#include <QDir>
#include <QFile>

namespace gravik::textfile {

std::optional<QStringList> readLines(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = fileOpenError(file, path);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const bool last = end < 0;
        if (last)
            end = bytes.size();
        qsizetype len = end - start;
        if (!last && len > 0 && bytes[end - 1] == '\r')
            --len;
        lines.append(cp1251::decode(QByteArrayView(bytes).sliced(start, len)));
        start = end + 1;
    }
    return lines;
}

QByteArray joinLines(const QStringList &lines)
{
    QByteArray out;
    for (const QString &l : lines) {
        out += cp1251::encode(l);
        out += "\r\n";
    }
    return out;
}

bool writeLines(const QString &path, const QStringList &lines, QString *error)
{
    return writeFileAtomically(path, joinLines(lines), error);
}

std::optional<QString> readFirstLine(const QString &path, QString *error)
{
    auto lines = readLines(path, error);
    if (!lines)
        return std::nullopt;
    if (lines->isEmpty()) {
        if (error)
            *error = QStringLiteral("Файл %1 пуст").arg(QDir::toNativeSeparators(path));
        return std::nullopt;
    }
    return lines->first();
}

QString singleLine(const QString &text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += u' ';
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace gravik::textfile
