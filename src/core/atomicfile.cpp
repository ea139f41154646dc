#include "core/atomicfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace gravik {

QString fileFailureReason(int err, const QString &systemText)
{
    switch (err) {
    case EROFS: return QStringLiteral("диск доступен только для чтения");
#ifdef EDQUOT // a quota is a Unix idea; Windows reports a full disk alone
    case EDQUOT:
#endif
    case ENOSPC: return QStringLiteral("на диске не осталось места");
    case EACCES:
    case EPERM: return QStringLiteral("нет прав доступа");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("файл или папка не найдены");
    case EISDIR: return QStringLiteral("на месте файла находится папка");
    default: return systemText;
    }
}

QString fileOpenError(const QFileDevice &file, const QString &path)
{
    return QStringLiteral("Не удалось открыть файл %1: %2")
        .arg(QDir::toNativeSeparators(path), fileFailureReason(errno, file.errorString()));
}

bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error)
{
    QSaveFile file(path);
    errno = 0;
    // Unbuffered: a buffered QSaveFile can commit a truncated file on a full disk
    // and still report success; written straight through, the write itself fails.
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(data) == data.size() &&
        file.commit())
        return true;
    const int err = errno;
    if (error) {
        // QSaveFile refuses a read-only file before any call that would set errno.
        const QFileInfo target(path);
        const QString reason = target.exists() && !target.isDir() && !target.isWritable()
                                   ? QStringLiteral("файл доступен только для чтения")
                                   : fileFailureReason(err, file.errorString());
        *error = QStringLiteral("Не удалось записать файл %1: %2").arg(QDir::toNativeSeparators(path), reason);
    }
    file.cancelWriting();
    return false;
}

} // namespace gravik
