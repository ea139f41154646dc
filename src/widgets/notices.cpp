#include "widgets/notices.h"

#include <QMessageBox>
#include <QSet>

namespace gravik::notices {

namespace {

Sink &sink()
{
    static Sink s;
    return s;
}

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
    if (sink()) {
        sink()(message);
        return;
    }
    QMessageBox::warning(parent, QStringLiteral("Gravik"), message);
}

void setSink(Sink s) { sink() = std::move(s); }

void forgetFiles() { reported().clear(); }

} // namespace gravik::notices
