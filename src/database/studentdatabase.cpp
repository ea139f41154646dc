#include "database/studentdatabase.h"

#include "core/programdir.h"
#include "database/databasefiles.h"
#include "database/database.h"
#include "database/workbookmodel.h"

#include <QFileInfo>

namespace gravik {

StudentDatabase::StudentDatabase(QObject *parent) : QObject(parent), m_model(new WorkbookModel(this)) {}

StudentDatabase::~StudentDatabase() = default;

QString StudentDatabase::path() const
{
    return programdir::file(QStringLiteral("Baza.xml"));
}

void StudentDatabase::use()
{
    if (m_inUse)
        return;
    m_inUse = true;
    spreadsheetml::Error error;
    const bool ok = m_model->load(path(), &error);
    // A failed read shows the built-in grid, as a fresh one would.
    if (!ok)
        m_model->setWorkbook(studentdb::builtIn());
    // What could not be read may be a real database cut short by a crash.
    m_keepOnSave = !ok && QFileInfo::exists(path());
    if (m_keepOnSave)
        error.message += QStringLiteral("\n\nПри сохранении прежний файл останется рядом, в файле %1%2.")
                             .arg(QFileInfo(path()).fileName(), QLatin1String(studentdb::UnreadableSuffix));
    emit loaded(ok, error.message);
}

bool StudentDatabase::save(QString *error)
{
    if (m_keepOnSave && QFileInfo::exists(path())
        && !studentdb::keepUnreadable(path(), QDateTime::currentDateTime(), error))
        return false;
    m_keepOnSave = false;
    if (!m_model->exportTo(path(), error))
        return false;
    m_model->setModified(false);
    return true;
}

bool StudentDatabase::importFrom(const QString &file, spreadsheetml::Error *error)
{
    auto book = spreadsheetml::readFile(file, error);
    if (!book)
        return false;
    m_model->setWorkbook(std::move(*book));
    m_model->setModified(true); // Baza.xml changes only with Save
    return true;
}

bool StudentDatabase::isModified() const
{
    return m_model->isModified();
}

bool StudentDatabase::writeHeaderCell(const QString &a1Ref, const QString &text)
{
    return m_model->writeCell(studentdb::HeaderSheet, a1Ref, text);
}

} // namespace gravik
