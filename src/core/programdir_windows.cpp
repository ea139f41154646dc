#include "core/programdir.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace gravik::programdir {

// Folder permissions on Windows are ACLs that access() does not read: the
// only sure test is to create a file there.
bool isSystemFolder(const QString &dir)
{
    QTemporaryFile probe(resolved(dir) + QLatin1String("/.gravik-XXXXXX"));
    return !probe.open();
}

// The installer puts the default data in a folder beside the executables.
QString installedDefaults(const QString &exeDir)
{
    return QDir::cleanPath(resolved(exeDir) + QLatin1String("/defaults"));
}

// A per-user install runs from its own, writable folder and fills it from
// there on the first start.
QString portableDefaults(const QString &exeDir)
{
    const QString d = installedDefaults(exeDir);
    return QFileInfo(d).isDir() ? d : QString();
}

QString userFolderName() { return QStringLiteral("Gravik"); }

} // namespace gravik::programdir
