#include "students/pupilchooser.h"

#include "widgets/windowregistry.h"
#include "widgets/imagebutton.h"
#include "students/bazawindow.h"
#include "database/pupils.h"
#include "database/workbookmodel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringListModel>

namespace gravik {

PupilChooser::PupilChooser(Blankard &main, WindowRegistry &registry)
    : QObject(&main), m_main(main), m_registry(registry), m_entries(new QStringListModel(this))
{
    // A plain list model: ten thousand entries go in at once, not item by item.
    QComboBox *list = m_main.pupilList();
    list->setModel(m_entries);
    connect(list, &QComboBox::activated, this, [this, list](int index) {
        if (index >= 0)
            choose(list->itemText(index));
    });
    if (ImageButton *update = m_main.button(QStringLiteral("Image1"))) {
        update->setEnabled(true);
        connect(update, &ImageButton::clicked, this, &PupilChooser::refresh);
    }
}

PupilChooser *PupilChooser::attach(Blankard &main, WindowRegistry &registry, Blankard::StartupSteps &steps)
{
    auto *chooser = new PupilChooser(main, registry);
    steps.fillPupilList = [chooser] { chooser->fillList(); };
    steps.chooseFirstPupil = [chooser] { chooser->chooseFirst(); };
    // The program ends right after this: unsaved database work is offered once.
    connect(&main, &Blankard::shuttingDown, chooser, [&registry] {
        if (auto *baza = registry.existing<BazaWindow>(WindowKind::Baza))
            baza->offerSaveBeforeExit();
    });
    return chooser;
}

BazaWindow *PupilChooser::database() const
{
    return m_registry.get<BazaWindow>(WindowKind::Baza);
}

void PupilChooser::fillList()
{
    m_main.pupilList()->clear();
    BazaWindow *baza = database();
    if (!baza)
        return;
    m_entries->setStringList(pupils::listEntries(baza->model()->activeSheet()));
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
    BazaWindow *baza = database();
    if (!baza)
        return;
    const auto record = pupils::find(baza->model()->activeSheet(), entry);
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
