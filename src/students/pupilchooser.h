#pragma once

#include "editor/certificatewindow.h"

#include <QObject>

class QStringListModel;

namespace gravik {
class Worksheet;
}

namespace gravik {

class StudentDatabase;

// The main window's pupil list Combo12 and its update button Image1, filled
// from the student database.
class PupilChooser : public QObject
{
    Q_OBJECT
public:
    PupilChooser(CertificateWindow &main, StudentDatabase &db);

    // Wires the chooser into the main window: the list, the update button, the
    // start-up steps and the question about unsaved database changes at the end.
    static PupilChooser *attach(CertificateWindow &main, StudentDatabase &db, CertificateWindow::StartupSteps &steps);

    // Empties the list and fills it from the grid.
    void fillList();
    // Selects and chooses the first entry; an empty list is ignored.
    void chooseFirst();
    // Copies the nine values of the rows matching the entry into the boxes.
    void choose(const QString &entry);
    // The update button: fill, then choose the first entry.
    void refresh();

private:
    const Worksheet &sheet() const;

    CertificateWindow &m_main;
    StudentDatabase &m_db;
    QStringListModel *m_entries;
};

} // namespace gravik
