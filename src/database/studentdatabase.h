#pragma once

#include "database/spreadsheetml.h"

#include <QObject>
#include <QString>

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

private:
    WorkbookModel *m_model;
    bool m_inUse = false;
    bool m_keepOnSave = false; // Baza.xml is there but could not be read
};

} // namespace gravik
