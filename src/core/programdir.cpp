#include "core/programdir.h"

#include "core/atomicfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace gravik::programdir {
namespace {
QString &overridden()
{
    static QString dir;
    return dir;
}

} // namespace

QString resolved(const QString &dir)
{
    const QFileInfo info(dir);
    return info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
}

QString path()
{
    return overridden().isEmpty() ? QCoreApplication::applicationDirPath() : overridden();
}

void setPath(const QString &dir) { overridden() = dir; }

QString file(const QString &relative) { return path() + QLatin1Char('/') + relative; }

Choice choose(const QString &exeDir, const QString &explicitDir, const QString &dataHome)
{
    if (!explicitDir.isEmpty())
        return {resolved(explicitDir), {}};
    if (!isSystemFolder(exeDir))
        return {resolved(exeDir), portableDefaults(exeDir)};
    return {QDir::cleanPath(dataHome + QLatin1Char('/') + userFolderName()), installedDefaults(exeDir)};
}

bool fillMissing(const QString &from, const QString &to, QString *error)
{
    const QDir source(from);
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + QLatin1Char('/') + source.relativeFilePath(src);
        if (QFileInfo::exists(dst))
            continue;
        QFile in(src);
        if (!QDir().mkpath(QFileInfo(dst).path()) || !in.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("Не удалось скопировать файл %1 в %2.").arg(src, dst);
            return false;
        }
        if (!writeFileAtomically(dst, in.readAll(), error))
            return false;
    }
    return true;
}

QCommandLineOption dirOption()
{
    return QCommandLineOption(QStringLiteral("dir"),
                              QStringLiteral("Папка программы с файлами данных (1.txt, Baza.xml, data/)."),
                              QStringLiteral("DIR"));
}

bool setUp(const QString &explicitDir, QString *error)
{
    const Choice c = choose(QCoreApplication::applicationDirPath(), explicitDir,
                            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    if (!explicitDir.isEmpty() && !QFileInfo(c.dir).isDir()) {
        *error = QStringLiteral("Папка программы %1 не найдена.").arg(c.dir);
        return false;
    }
    if (!c.defaults.isEmpty()) {
        if (!QDir().mkpath(c.dir)) {
            *error = QStringLiteral("Не удалось создать папку программы %1.").arg(c.dir);
            return false;
        }
        if (!fillMissing(c.defaults, c.dir, error))
            return false;
    }
    setPath(c.dir);
    return true;
}

} // namespace gravik::programdir
