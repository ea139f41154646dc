#pragma once

#include "database/spreadsheetml.h"

#include <QObject>
#include <QString>

#include <future>
#include <optional>

namespace gravik {

class WorkbookModel;

// The student database: Baza.xml of the program directory in a workbook
// model. No window owns it: the database window views and edits it, the pupil
// chooser reads it, the interface language writes its header cells.
//
// Like the grid it stands for, it is read on its first use and again on the
// first use after the database window was closed; in between it keeps what the
// operator typed.
class StudentDatabase : public QObject
{
    Q_OBJECT
public:
    explicit StudentDatabase(QObject *parent = nullptr);
    ~StudentDatabase() override;

    WorkbookModel *model() const { return m_model; }
    QString path() const;

    // Reads Baza.xml unless it has been read since the last close(). A file
    // that cannot be read leaves the built-in content (see loadFailed).
    void use();
    // Starts reading Baza.xml on a thread of its own, so that a large database
    // does not hold up the window; readAheadDone() follows on this object's
    // thread. The next use() takes what was read, waiting for it if need be.
    // Nothing happens when the database is in use or already being read.
    void readAhead();
    // A read ahead is still running.
    bool isReadingAhead() const;
    bool isInUse() const { return m_inUse; }
    // The database window is gone: the next use reads the file again.
    void close() { m_inUse = false; }

    // Save and Import; on failure *error says why, naming the file. A Baza.xml
    // that failed to load is kept beside before a save replaces it.
    bool save(QString *error);
    bool importFrom(const QString &path, spreadsheetml::Error *error);
    bool isModified() const;

    // A header cell of the worksheet "Sheet1" by its A1 reference; false when
    // the workbook has no such sheet. Not an edit of the operator's.
    bool writeHeaderCell(const QString &a1Ref, const QString &text);

signals:
    // After every read of Baza.xml; message says why it failed.
    void loaded(bool ok, const QString &message);
    // The read that readAhead() started has ended (or could not start).
    void readAheadDone();

private:
    struct Read {
        std::optional<Workbook> book;
        spreadsheetml::Error error;
    };
    static Read read(const QString &path);

    WorkbookModel *m_model;
    bool m_inUse = false;
    bool m_keepOnSave = false; // Baza.xml is there but could not be read
    std::future<Read> m_ahead;
};

} // namespace gravik
