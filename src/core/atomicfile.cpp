#include "core/atomicfile.h"

#include <QDir>
#include <QSaveFile>

namespace gravik {

bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error)
{
    QSaveFile file(path);
    // Unbuffered: a buffered QSaveFile can commit a truncated file on a full disk
    // and still report success; written straight through, the write itself fails.
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(data) == data.size() &&
        file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Не удалось записать файл %1: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
    file.cancelWriting();
    return false;
}

} // namespace gravik
