#include "core/programdir.h"

#include <QCoreApplication>

namespace gravik::programdir {
namespace {
QString &overridden()
{
    static QString dir;
    return dir;
}
} // namespace

QString path()
{
    return overridden().isEmpty() ? QCoreApplication::applicationDirPath() : overridden();
}

void setPath(const QString &dir) { overridden() = dir; }

QString file(const QString &relative) { return path() + QLatin1Char('/') + relative; }

} // namespace gravik::programdir
