#include "database/databasefiles.h"

#include "core/atomicfile.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>

namespace gravik::studentdb {

int storedSizeTwips(const std::optional<QString> &line, int builtIn, int available)
{
    int size = builtIn;
    if (line) {
        bool ok = false;
        const double v = line->trimmed().toDouble(&ok); // C locale: '.' is the decimal point
        if (ok && std::isfinite(v) && v >= 0.5)
            size = int(std::min(std::round(v), double(1 << 30)));
    }
    return available > 0 ? std::min(size, available) : size;
}

std::optional<QString> keepUnreadable(const QString &path, const QDateTime &now, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = fileOpenError(file, path);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    QString kept = path + QLatin1String(UnreadableSuffix);
    const QString dated = kept + now.toString(QStringLiteral("-yyyyMMdd-HHmmss"));
    for (int n = 1; QFile::exists(kept); ++n)
        kept = n == 1 ? dated : dated + QStringLiteral("-%1").arg(n);
    if (!writeFileAtomically(kept, bytes, error))
        return std::nullopt;
    return kept;
}

} // namespace gravik::studentdb
