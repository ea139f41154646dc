#pragma once

#include "widgets/programsteps.h"

#include <QObject>

class QComboBox;
class QStringListModel;

namespace gravik {
class Worksheet;
}

namespace gravik {

class CertificateDocument;
class StudentDatabase;
class WindowRegistry;

// The main window's pupil list Combo12 and its update button Image1, filled
// from the student database.
class PupilChooser : public QObject
{
    Q_OBJECT
public:
    // Over the main window's Combo12 and Image1, writing doc. The grid is the
    // database window's: reading it creates that window, hidden, through
    // registry (when there is one), so the window reads its files.
    PupilChooser(CertificateDocument &doc, QWidget &main, StudentDatabase &db, WindowRegistry *registry = nullptr);

    // Wires the chooser into the main window: the list, the update button, the
    // start-up steps and the question about unsaved database changes at the end.
    static PupilChooser *attach(CertificateDocument &doc, QWidget &main, StudentDatabase &db, ProgramSteps &steps,
                                WindowRegistry *registry = nullptr);

    // The start-up's part: the database is read meanwhile (beginStartUp), and
    // once it is there and the start-up has ended (endStartUp), the list is
    // filled and its first pupil chosen. That choice is left out when a value
    // has changed since the start-up ended: what the operator typed stays.
    // finishStartUp does it at once, waiting for the database.
    void beginStartUp();
    void endStartUp();
    void finishStartUp();

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

    CertificateDocument &m_doc;
    QComboBox &m_list;
    StudentDatabase &m_db;
    WindowRegistry *m_registry;
    QStringListModel *m_entries;
    enum class StartUp { Done, Reading, Ended } m_startUp = StartUp::Done;
    bool m_edited = false; // a value changed since the start-up ended
};

} // namespace gravik
