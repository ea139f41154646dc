#include "language/languagefile.h"

#include "core/programdir.h"
#include "core/textfile.h"

#include <QDir>
#include <QFileInfo>

namespace gravik::languagefile {

QString defaultPath()
{
    return programdir::file(QStringLiteral("data/lang.txt"));
}

std::optional<QString> read(const QString &path, QString *problem)
{
    QString error;
    auto code = textfile::readFirstLine(path, &error);
    if (!code && problem)
        *problem = error + QStringLiteral(". Язык интерфейса не выбран, остаются русские надписи.");
    return code;
}

bool write(const QString &path, const QString &code, QString *error)
{
    QDir().mkpath(QFileInfo(path).absolutePath()); // a missing data folder is made again
    return textfile::writeLines(path, {code}, error);
}

} // namespace gravik::languagefile
