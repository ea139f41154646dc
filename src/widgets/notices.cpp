#include "widgets/notices.h"

#include "widgets/dialogs.h"

#include <QSet>

namespace gravik::notices {

namespace {

QSet<QString> &reported()
{
    static QSet<QString> files;
    return files;
}

} // namespace

void fileProblem(const QString &path, const QString &message)
{
    if (reported().contains(path))
        return;
    reported().insert(path);
    warning(nullptr, message);
}

void warning(QWidget *parent, const QString &message)
{
    Dialogs::current().message(parent, Dialogs::Icon::Warning, QStringLiteral("Gravik"), message);
}

void forgetFiles() { reported().clear(); }

} // namespace gravik::notices
