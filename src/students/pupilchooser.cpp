#include "students/pupilchooser.h"
#include "core/controlnames.h"

#include "widgets/imagebutton.h"
#include "widgets/windowregistry.h"
#include "students/studentdatabasewindow.h"
#include "database/database.h"
#include "database/pupils.h"
#include "database/workbookmodel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringListModel>

namespace gravik {

PupilChooser::PupilChooser(CertificateWindow &main, StudentDatabase &db)
    : QObject(&main), m_main(main), m_db(db), m_entries(new QStringListModel(this))
{
    // A plain list model: ten thousand entries go in at once, not item by item.
    QComboBox *list = m_main.pupilList();
    list->setModel(m_entries);
    connect(list, &QComboBox::activated, this, [this, list](int index) {
        if (index >= 0)
            choose(list->itemText(index));
    });
    if (ImageButton *update = m_main.button(QString::fromLatin1(names::UpdateButton))) {
        update->setEnabled(true);
        connect(update, &ImageButton::clicked, this, &PupilChooser::refresh);
    }
}

PupilChooser *PupilChooser::attach(CertificateWindow &main, StudentDatabase &db, CertificateWindow::StartupSteps &steps)
{
    auto *chooser = new PupilChooser(main, db);
    steps.fillPupilList = [chooser] { chooser->fillList(); };
    steps.chooseFirstPupil = [chooser] { chooser->chooseFirst(); };
    // The program ends right after this: unsaved database work is offered once.
    connect(&main, &CertificateWindow::shuttingDown, chooser, [&db, &main] { StudentDatabaseWindow::offerSaveBeforeExit(db, &main); });
    return chooser;
}

const Worksheet &PupilChooser::sheet() const
{
    // The grid is the database window's: using it creates the window, hidden,
    // which reads its files.
    if (WindowRegistry *registry = m_main.registry())
        registry->get(WindowKind::Baza);
    m_db.use();
    return m_db.model()->activeSheet();
}

void PupilChooser::fillList()
{
    m_main.pupilList()->clear();
    m_entries->setStringList(pupils::listEntries(sheet()));
}

void PupilChooser::chooseFirst()
{
    QComboBox *list = m_main.pupilList();
    if (list->count() == 0)
        return;
    list->setCurrentIndex(0);
    choose(list->itemText(0));
}

void PupilChooser::choose(const QString &entry)
{
    const auto record = pupils::find(sheet(), entry);
    if (!record)
        return;
    pupils::applyRecord(*record, [this](const QString &box, const QString &text) { m_main.document().setValue(box, text); });
}

void PupilChooser::refresh()
{
    fillList();
    chooseFirst();
}

} // namespace gravik
