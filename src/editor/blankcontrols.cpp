#include "editor/blankcontrols.h"

#include "core/programdir.h"
#include "core/twips.h"
#include "editor/blankview.h"
#include "editor/fieldlabel.h"
#include "language/blankcaptions.h"
#include "language/languagecode.h"
#include "widgets/dialogs.h"
#include "widgets/notices.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QDoubleSpinBox>

namespace gravik {

using i18n::BlankCaption;

namespace {

constexpr double mmPerInch = 25.4;
double mmFromTwips(int t) { return t * mmPerInch / twips::perInch; }
int twipsFromMm(double mm) { return qRound(mm * twips::perInch / mmPerInch); }

} // namespace

BlankControls::BlankControls(QWidget &page, const LanguageCode &language)
    : QObject(&page), m_page(page), m_language(language), m_view(new BlankView(m_blank, &page))
{
    page.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&page, &QWidget::customContextMenuRequested, this, &BlankControls::popupMenu);
    connect(&m_blank, &BlankUnderlay::pictureFailed, this, &notices::fileProblem);
    connect(&m_blank, &BlankUnderlay::chooseFailed, this, [this](const QString &error) {
        notices::warning(&m_page, error);
    });
}

BlankControls::~BlankControls()
{
    delete m_view.data(); // it draws from m_blank
}

QString BlankControls::caption(BlankCaption which) const
{
    return i18n::blankCaption(which, m_language.shown());
}

void BlankControls::load()
{
    QString error, file;
    if (!m_blank.load(&error, &file))
        notices::fileProblem(file, error);
}

QMenu *BlankControls::popupMenu(const QPoint &pos)
{
    // The empty page or a field: the view lets the mouse through to both.
    QWidget *under = m_page.childAt(pos);
    if (under && !qobject_cast<FieldLabel *>(under))
        return nullptr;
    delete m_menu;
    m_menu = new QMenu(&m_page);
    m_menu->setObjectName(QStringLiteral("UnderlayMenu"));
    m_menu->setAttribute(Qt::WA_DeleteOnClose);
    m_menu->addAction(caption(BlankCaption::Choose), this, &BlankControls::chooseBlank);
    QAction *shown = m_menu->addAction(caption(BlankCaption::Shown));
    shown->setCheckable(true);
    shown->setChecked(m_blank.placement().shown);
    shown->setEnabled(m_blank.hasPicture());
    connect(shown, &QAction::toggled, this, [this](bool on) {
        QString error;
        if (!m_blank.setShown(on, &error))
            notices::warning(&m_page, error);
    });
    m_menu->addAction(caption(BlankCaption::Offset), this, &BlankControls::showOffsetWindow)
        ->setEnabled(m_blank.hasPicture());
    m_menu->popup(m_page.mapToGlobal(pos));
    return m_menu;
}

void BlankControls::chooseBlank()
{
    const QString path = Dialogs::current().openFile(&m_page, caption(BlankCaption::ChooserTitle), programdir::path(),
                                                     caption(BlankCaption::Filter));
    if (path.isEmpty())
        return;
    m_blank.choose(path); // the window keeps working while the picture is read
}

QDialog *BlankControls::showOffsetWindow()
{
    if (m_offset) {
        m_offset->raise();
        m_offset->activateWindow();
        return m_offset;
    }
    auto *d = new QDialog(&m_page);
    m_offset = d;
    d->setObjectName(QStringLiteral("UnderlayOffset"));
    d->setAttribute(Qt::WA_DeleteOnClose);
    auto *form = new QFormLayout(d);
    // Millimetres, as the printer's offset; kept in twips.
    auto spin = [&](const char *name, int twipsValue) {
        auto *s = new QDoubleSpinBox(d);
        s->setObjectName(QString::fromLatin1(name));
        s->setDecimals(1);
        s->setRange(-mmFromTwips(BlankUnderlay::MaxOffsetTwips), mmFromTwips(BlankUnderlay::MaxOffsetTwips));
        s->setSingleStep(0.5); // about two pixels: each press is seen
        s->setValue(mmFromTwips(twipsValue));
        return s;
    };
    QDoubleSpinBox *x = spin("offsetX", m_blank.placement().xTwips);
    QDoubleSpinBox *y = spin("offsetY", m_blank.placement().yTwips);
    auto *right = new QLabel(d), *down = new QLabel(d);
    form->addRow(right, x);
    form->addRow(down, y);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, d);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::rejected, d, &QDialog::close);
    auto captions = [this, d, right, down, buttons] {
        d->setWindowTitle(caption(BlankCaption::OffsetTitle));
        right->setText(caption(BlankCaption::OffsetRight));
        down->setText(caption(BlankCaption::OffsetDown));
        buttons->button(QDialogButtonBox::Close)->setText(caption(BlankCaption::Close));
    };
    captions();
    connect(&m_language, &LanguageCode::shownChanged, d, captions);
    // Every step is seen at once and kept, so the operator aligns by eye.
    auto apply = [this, x, y] {
        QString error;
        if (!m_blank.setOffset(twipsFromMm(x->value()), twipsFromMm(y->value()), &error))
            notices::warning(&m_page, error);
    };
    connect(x, &QDoubleSpinBox::valueChanged, this, apply);
    connect(y, &QDoubleSpinBox::valueChanged, this, apply);
    d->show();
    d->activateWindow(); // the keyboard goes to the offsets at once
    x->setFocus();
    return d;
}

} // namespace gravik
