#include "database/studentdatabase.h"

#include "core/programdir.h"
#include "database/databasefiles.h"
#include "database/database.h"
#include "database/workbookmodel.h"

#include <QFileInfo>

#include <system_error>

namespace gravik {

StudentDatabase::StudentDatabase(QObject *parent) : QObject(parent), m_model(new WorkbookModel(this)) {}

StudentDatabase::~StudentDatabase()
{
    if (m_ahead.valid())
        m_ahead.wait(); // the thread reads into this object's future
}

QString StudentDatabase::path() const
{
    return programdir::file(QStringLiteral("Baza.xml"));
}

void StudentDatabase::use()
{
    if (m_inUse)
        return;
    m_inUse = true;
    Read r = m_ahead.valid() ? m_ahead.get() : read(path());
    spreadsheetml::Error &error = r.error;
    const bool ok = r.book.has_value();
    // A failed read shows the built-in grid, as a fresh one would.
    m_model->setWorkbook(ok ? std::move(*r.book) : studentdb::builtIn());
    // What could not be read may be a real database cut short by a crash.
    m_keepOnSave = !ok && QFileInfo::exists(path());
    if (m_keepOnSave)
        error.message += QStringLiteral("\n\nПри сохранении прежний файл останется рядом, в файле %1%2.")
                             .arg(QFileInfo(path()).fileName(), QLatin1String(studentdb::UnreadableSuffix));
    emit loaded(ok, error.message);
}

void StudentDatabase::readAhead()
{
    if (m_inUse || m_ahead.valid())
        return;
    try {
        m_ahead = std::async(std::launch::async, [this, path = path()] {
            Read r = read(path);
            QMetaObject::invokeMethod(this, &StudentDatabase::readAheadDone, Qt::QueuedConnection);
            return r;
        });
    } catch (const std::system_error &) {
        // No thread to be had: use() reads the file itself, as it always could.
        QMetaObject::invokeMethod(this, &StudentDatabase::readAheadDone, Qt::QueuedConnection);
    }
}

bool StudentDatabase::isReadingAhead() const
{
    return m_ahead.valid() && m_ahead.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

StudentDatabase::Read StudentDatabase::read(const QString &path)
{
    Read r;
    r.book = spreadsheetml::readFile(path, &r.error);
    return r;
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
