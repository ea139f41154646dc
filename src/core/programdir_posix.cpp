#include "core/programdir.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace gravik::programdir {

// Root writes everywhere, so the location alone must decide for root.
bool isSystemFolder(const QString &dir)
{
    const QString d = resolved(dir);
    if (d == QLatin1String("/usr") || d.startsWith(QLatin1String("/usr/")))
        return true;
    return ::access(QFile::encodeName(d).constData(), W_OK) != 0;
}

QString installedDefaults(const QString &exeDir)
{
    return QDir::cleanPath(resolved(exeDir) + QLatin1String("/../share/gravik"));
}

// A build or an unpacked copy already has its data beside it.
QString portableDefaults(const QString &) { return {}; }

QString userFolderName() { return QStringLiteral("gravik"); }

} // namespace gravik::programdir
