#include "core/atomicfile.h"

#include <QDir>
#include <QSaveFile>

namespace gravik {

bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Не удалось записать файл %1: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
    file.cancelWriting();
    return false;
}

} // namespace gravik
