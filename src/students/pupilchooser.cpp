#include "students/pupilchooser.h"
#include "core/controlnames.h"

#include "core/certificate.h"
#include "widgets/imagebutton.h"
#include "widgets/windowregistry.h"
#include "students/studentdatabasewindow.h"
#include "database/studentdatabase.h"
#include "database/pupils.h"
#include "database/workbookmodel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringListModel>

namespace gravik {

PupilChooser::PupilChooser(CertificateDocument &doc, QWidget &main, StudentDatabase &db, WindowRegistry *registry)
    : QObject(&main), m_doc(doc), m_list(*main.findChild<QComboBox *>(QString::fromLatin1(names::PupilList))),
      m_db(db), m_registry(registry), m_entries(new QStringListModel(this))
{
    // A plain list model: ten thousand entries go in at once, not item by item.
    m_list.setModel(m_entries);
    connect(&m_list, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            choose(m_list.itemText(index));
    });
    if (auto *update = main.findChild<ImageButton *>(QString::fromLatin1(names::UpdateButton))) {
        update->setEnabled(true);
        connect(update, &ImageButton::clicked, this, &PupilChooser::refresh);
    }
    connect(&m_doc, &CertificateDocument::valueChanged, this, [this] {
        if (m_startUp == StartUp::Ended)
            m_edited = true;
    });
    connect(&m_db, &StudentDatabase::readAheadDone, this, [this] {
        if (m_startUp == StartUp::Ended)
            finishStartUp();
    });
}

PupilChooser *PupilChooser::attach(CertificateDocument &doc, QWidget &main, StudentDatabase &db, ProgramSteps &steps,
                                   WindowRegistry *registry)
{
    auto *chooser = new PupilChooser(doc, main, db, registry);
    steps.readPupils = [chooser] { chooser->beginStartUp(); };
    steps.fillPupilList = [chooser] { chooser->endStartUp(); };
    steps.awaitPupilList = [chooser] { chooser->finishStartUp(); };
    // The program ends right after this: unsaved database work is offered once.
    steps.atExit = [&db, &main] {
        // Asked in the language the main window's captions are in.
        const auto *code = main.findChild<LanguageCode *>(QString(), Qt::FindDirectChildrenOnly);
        StudentDatabaseWindow::offerSaveBeforeExit(db, &main, code ? code->shown() : LanguageCode::Russian);
    };
    return chooser;
}

const Worksheet &PupilChooser::sheet() const
{
    if (m_registry)
        m_registry->get(WindowKind::Baza);
    m_db.use();
    return m_db.model()->activeSheet();
}

void PupilChooser::beginStartUp()
{
    m_startUp = StartUp::Reading;
    m_edited = false;
    m_db.readAhead();
}

void PupilChooser::endStartUp()
{
    if (m_startUp != StartUp::Reading)
        return;
    m_startUp = StartUp::Ended;
    // Read already (or never read ahead): no reason to wait for the signal.
    if (!m_db.isReadingAhead())
        finishStartUp();
}

void PupilChooser::finishStartUp()
{
    if (m_startUp == StartUp::Done)
        return;
    m_startUp = StartUp::Done;
    fillList();
    if (!m_edited)
        chooseFirst();
}

void PupilChooser::fillList()
{
    m_list.clear();
    m_entries->setStringList(pupils::listEntries(sheet()));
}

void PupilChooser::chooseFirst()
{
    if (m_list.count() == 0)
        return;
    m_list.setCurrentIndex(0);
    choose(m_list.itemText(0));
}

void PupilChooser::choose(const QString &entry)
{
    const auto record = pupils::find(sheet(), entry);
    if (!record)
        return;
    pupils::applyRecord(*record, [this](Value v, const QString &text) { m_doc.setValue(v, text); });
}

void PupilChooser::refresh()
{
    m_startUp = StartUp::Done; // this is the start-up's list and choice
    fillList();
    chooseFirst();
}

} // namespace gravik
