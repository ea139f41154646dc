#include "editor/certificatewindow.h"
#include "core/builtinstrings.h"
#include "core/controlnames.h"

#include "widgets/windowregistry.h"
#include "core/certificatehistory.h"
#include "core/fontlist.h"
#include "core/programdir.h"
#include "core/statefile.h"
#include "core/twips.h"
#include "editor/blankcontrols.h"
#include "widgets/dialogs.h"
#include "editor/fieldlabel.h"
#include "widgets/hoverrouter.h"
#include "widgets/imagebutton.h"
#include "editor/keyboardaccess.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStringListModel>

#include <algorithm>
#include <cmath>

namespace gravik {

namespace {

const QStringList kSizes = {"7", "8", "9", "10", "11", "12"};
const QStringList kStyles = {"обычный", "жирный", "курсивный", "жирный курсивный"};

using Pic = HoverRule::Picture;
constexpr Pic N = Pic::Normal;
constexpr Pic H = Pic::Highlighted;

HoverTable mainHoverTable()
{
    return {
        {"Image5", {{"Image5", H}, {"Image6", N}, {"Image7", N}, {"Image8", N}}},
        {"Image6", {{"Image5", N}, {"Image6", H}, {"Image7", N}, {"Image8", N}}},
        {"Image7", {{"Image5", N}, {"Image6", N}, {"Image7", H}, {"Image8", N}}},
        {"Image8", {{"Image5", N}, {"Image6", N}, {"Image7", N}, {"Image8", H}, {"Image11", N}, {"Image14", N}}},
        {"Image11", {{"Image8", N}, {"Image11", H}, {"Image14", N}}},
        {"Image14", {{"Image8", N}, {"Image11", N}, {"Image14", H}}},
        {"Image1", {{"Image1", H}}},
        {"Frame1", {{"Image5", N}, {"Image6", N}, {"Image7", N}, {"Image8", N}, {"Image11", N}, {"Image14", N}, {"Image1", N}}},
        {"Label54", {{"Image5", N}, {"Image6", N}, {"Image7", N}, {"Image8", N}, {"Image11", N}, {"Image14", N}, {"Image1", N}}},
        {"Blankard", {{"Image5", N}, {"Image6", N}, {"Image7", N}, {"Image8", N}}},
    };
}

// Keys that choose in a list rather than type into it.
bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown:
    case Qt::Key_Home: case Qt::Key_End: case Qt::Key_Left: case Qt::Key_Right:
    case Qt::Key_Tab: case Qt::Key_Backtab: case Qt::Key_Escape: case Qt::Key_F4:
    case Qt::Key_Return: case Qt::Key_Enter:
    case Qt::Key_Shift: case Qt::Key_Control: case Qt::Key_Alt: case Qt::Key_Meta:
        return true;
    default:
        return false;
    }
}

QStringList installedFamilies() { return QFontDatabase::families(); }

// A key that brings a character (keys like F5, Insert or Caps Lock bring none).
bool bringsCharacter(const QKeyEvent *e)
{
    return !e->text().isEmpty() && !isNavigationKey(e->key());
}

// A key that types into the font box or moves in its list. Any other key (a
// lone modifier, a shortcut, Tab, Escape, a function key) passes through the
// box on its way elsewhere and must leave the stored font name alone.
bool editsFontBox(const QKeyEvent *e)
{
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (e->key()) {
    case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown:
    case Qt::Key_Backspace: case Qt::Key_Delete:
        return true;
    default:
        break;
    }
    const QString t = e->text();
    return !t.isEmpty() && std::all_of(t.begin(), t.end(), [](QChar c) { return c.isPrint(); });
}

} // namespace

CertificateWindow::CertificateWindow(CertificateDocument &doc, FontSource fonts, QWidget *parent)
    : QWidget(parent), m_fonts(fonts ? std::move(fonts) : FontSource(installedFamilies)), m_doc(doc)
{
    setObjectName(QStringLiteral("Blankard"));
    setWindowTitle(builtinstrings::text(24));
    setFixedSize(twips::toScreen(0, 0, 11895, 8655).size());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    m_history = new CertificateHistory(m_doc, this);
    buildPreview();
    buildPanel();
    connectDocument();
    m_hover = new HoverRouter(this, mainHoverTable());
    m_blank = new BlankControls(*this, m_language);
    // Undo and redo of moves and font choices; the bars follow the selected field back.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this), &QShortcut::activated, &m_doc.undoStack(),
            &QUndoStack::undo);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), this), &QShortcut::activated,
            &m_doc.undoStack(), &QUndoStack::redo);
    connect(&m_doc.undoStack(), &QUndoStack::indexChanged, this, &CertificateWindow::showSelectedPosition);
    addKeyboardAccess(*this);

    if (const QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

CertificateWindow::~CertificateWindow()
{
    // The base class hides the window after this object's members are gone;
    // nothing may reach them then (focus moves can make a list "choose").
    disconnect(&m_doc, nullptr, this, nullptr);
    disconnect(&m_doc.undoStack(), nullptr, this, nullptr);
    for (QLineEdit *b : m_panel->findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly))
        b->disconnect(&m_doc);
    for (QComboBox *c : {m_fontList, m_styleList, m_sizeList, m_pupilList}) {
        c->disconnect(this);
        c->disconnect(&m_doc);
        c->removeEventFilter(this);
        if (c->lineEdit())
            c->lineEdit()->removeEventFilter(this);
    }
}

QLineEdit *CertificateWindow::box(const QString &name) const
{
    return m_panel->findChild<QLineEdit *>(name, Qt::FindDirectChildrenOnly);
}

ImageButton *CertificateWindow::button(const QString &name) const
{
    return m_panel->findChild<ImageButton *>(name);
}

void CertificateWindow::setRegistry(WindowRegistry *registry)
{
    m_registry = registry;
    const std::pair<const char *, WindowKind> windows[] = {{names::PrintButton, WindowKind::Print},
                                                           {"Image8", WindowKind::Baza},
                                                           {"Image11", WindowKind::Settings},
                                                           {"Image14", WindowKind::Help}};
    for (const auto &[name, kind] : windows) {
        ImageButton *b = button(QString::fromLatin1(name));
        disconnect(b, &ImageButton::clicked, this, nullptr);
        if (registry)
            connect(b, &ImageButton::clicked, this, [registry, kind = kind] { registry->show(kind); });
    }
}

// ---- start-up and shut-down ----

bool CertificateWindow::startUp(QString *error)
{
    if (m_steps.readPupils)
        m_steps.readPupils();
    // Size and style lists, then the fonts.
    m_sizeList->clear();
    m_sizeList->addItems(kSizes);
    m_styleList->clear();
    m_styleList->addItems(kStyles);
    rebuildFontList();

    StateFile::Error e;
    if (!m_doc.load(programdir::file(QStringLiteral("1.txt")), &e)) {
        if (error)
            *error = e.message;
        return false;
    }

    if (m_steps.readLanguage)
        m_steps.readLanguage();
    m_history->clear(); // undo goes back to here and no further
    m_blank->load();
    box(QStringLiteral("Text1"))->setFocus(); // the surname: where typing starts
    if (m_steps.fillPupilList)
        m_steps.fillPupilList();
    return true;
}

void CertificateWindow::finishStartUp()
{
    if (m_steps.awaitPupilList)
        m_steps.awaitPupilList();
}

bool CertificateWindow::shutDown()
{
    if (m_shutDown)
        return true;
    m_shutDown = true;
    finishStartUp(); // the state file keeps the first pupil, as after any start
    QString error;
    const bool ok = m_doc.save(programdir::file(QStringLiteral("1.txt")), &error);
    if (!ok) {
        qCritical("%s", qUtf8Printable(error));
        Dialogs::current().message(this, Dialogs::Icon::Critical, windowTitle(), error);
    }
    if (m_steps.atExit)
        m_steps.atExit();
    QCoreApplication::exit(ok ? 0 : 1);
    return ok;
}

void CertificateWindow::closeEvent(QCloseEvent *e)
{
    shutDown();
    e->accept();
}

// ---- fields ----

void CertificateWindow::connectDocument()
{
    for (int i = 0; i < ValueCount; ++i)
        m_boxes[i]->setText(m_doc.value(Value(i)));
    connect(&m_doc, &CertificateDocument::valueChanged, this, [this](Value v, const QString &t) {
        if (QLineEdit *b = box(v); b->text() != t)
            b->setText(t);
    });
    for (int n = 1; n <= FieldCount; ++n) {
        fieldLabel(n)->setText(m_doc.fieldText(n));
        fieldLabel(n)->setFont(m_doc.font());
        placeField(n);
    }
    connect(&m_doc, &CertificateDocument::fieldTextChanged, this,
            [this](int n, const QString &t) { fieldLabel(n)->setText(t); });
    connect(&m_doc, &CertificateDocument::fieldMoved, this, &CertificateWindow::placeField);
    connect(&m_doc, &CertificateDocument::fontChanged, this, [this](const QFont &f) {
        for (FieldLabel *l : m_labels)
            l->setFont(f);
    });
    connect(&m_doc, &CertificateDocument::fontTextsChanged, this, &CertificateWindow::showFontTexts);
    showFontTexts();
}

void CertificateWindow::showFontTexts()
{
    const Certificate::FontTexts &t = m_doc.fontTexts();
    const std::pair<QComboBox *, const QString *> boxes[] = {
        {m_fontList, &t.name}, {m_styleList, &t.style}, {m_sizeList, &t.size}};
    for (const auto &[combo, text] : boxes) {
        if (combo->currentText() == *text)
            continue;
        // The arrow keys step from the entry the box shows, when it is one.
        const int at = combo == m_fontList ? -1 : combo->findText(*text);
        if (at >= 0 && combo->currentIndex() != at)
            combo->setCurrentIndex(at);
        if (combo->currentText() != *text)
            combo->setEditText(*text);
    }
}

void CertificateWindow::placeField(int n)
{
    // An entry that is no number leaves the label where it was.
    FieldLabel *l = fieldLabel(n);
    if (auto y = m_doc.coordinates().number(CoordinateTable::yEntry(n)))
        l->setTopTwips(*y);
    if (auto x = m_doc.coordinates().number(CoordinateTable::xEntry(n)))
        l->setLeftTwips(*x);
}

QColor CertificateWindow::normalFieldColor()
{
    return page::normalColor();
}

void CertificateWindow::resetFieldColours()
{
    for (FieldLabel *l : m_labels)
        l->setColor(normalFieldColor());
}

// ---- panel ----

bool CertificateWindow::panelOpen() const
{
    return m_panel->height() == twips::toScreen(0, 0, 0, 8655).height();
}

void CertificateWindow::setLowerPartVisible(bool visible)
{
    // Everything below the top strip goes with the panel's lower part; hidden
    // rather than only cut off, so no sliver of it shows or takes the mouse.
    const int strip = twips::toScreen(0, 0, 0, 1560).height();
    for (QWidget *w : m_panel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w->y() >= strip)
            w->setVisible(visible);
}

void CertificateWindow::openPanel()
{
    m_panel->resize(m_panel->width(), twips::toScreen(0, 0, 0, 8655).height());
    setLowerPartVisible(true);
    box(QStringLiteral("Text1"))->setFocus();
}

void CertificateWindow::closePanel()
{
    // The keyboard goes to the page (where the arrow keys move a field), not
    // to the next box in the strip: a key there could change the font. A
    // picture button that closed the panel from the keyboard keeps it.
    if (!qobject_cast<ImageButton *>(focusWidget()))
        setFocus(Qt::OtherFocusReason);
    m_panel->resize(m_panel->width(), twips::toScreen(0, 0, 0, 1575).height());
    setLowerPartVisible(false);
    // The page shows every value once more.
    for (int n : panelCopyOrder())
        fieldLabel(n)->setText(m_doc.fieldText(n));
}

void CertificateWindow::setPanelShown(bool shown)
{
    m_panel->setVisible(shown);
}

// ---- selection and positioning ----

void CertificateWindow::selectField(int n)
{
    if (n < 1 || n > FieldCount)
        return;
    m_selected = n;
    // An entry edited by hand into something the scroll bar cannot show is
    // clamped into its range, and the clamped value is written back.
    auto toBar = [this](int k, QScrollBar *bar) {
        const auto v = m_doc.coordinates().number(k);
        const int value = std::clamp(v ? int(std::lround(*v)) : bar->minimum(), bar->minimum(), bar->maximum());
        m_doc.setCoordinate(k, QString::number(value));
        bar->setValue(value);
    };
    toBar(CoordinateTable::xEntry(n), m_xBar);
    toBar(CoordinateTable::yEntry(n), m_yBar);
    for (int i = 1; i <= FieldCount; ++i)
        fieldLabel(i)->setColor(i == n ? QColor(255, 0, 0) : normalFieldColor());
}

void CertificateWindow::moveSelected(bool horizontal, int value)
{
    if (m_selected == 0)
        return;
    m_history->moveField(horizontal ? CoordinateTable::xEntry(m_selected) : CoordinateTable::yEntry(m_selected),
                         QString::number(value), (horizontal ? m_xBar : m_yBar)->isSliderDown());
}

void CertificateWindow::showSelectedPosition()
{
    // An undone move of the selected field: the bars show where it is again
    // (the value they write back is no new move).
    if (m_selected == 0)
        return;
    if (auto x = m_doc.coordinates().number(CoordinateTable::xEntry(m_selected)))
        m_xBar->setValue(int(std::lround(*x)));
    if (auto y = m_doc.coordinates().number(CoordinateTable::yEntry(m_selected)))
        m_yBar->setValue(int(std::lround(*y)));
}

// ---- font controls ----

void CertificateWindow::rebuildFontList()
{
    m_fontModel->setStringList(fontlist::build(m_fonts()));
    m_fontList->setCurrentIndex(-1);
    m_fontList->setEditText(QString());
}

bool CertificateWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // In a font box Ctrl+Z and Ctrl+Shift+Z take back font choices, not typing.
        const auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->key() == Qt::Key_Z && (ke->modifiers() & Qt::ControlModifier))
            return true;
    }
    if (event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        const bool inFonts = watched == m_fontList || watched == m_fontList->lineEdit();
        const bool refusing = watched == m_styleList || watched == m_styleList->lineEdit() ||
                              watched == m_sizeList || watched == m_sizeList->lineEdit();
        if (inFonts && editsFontBox(ke)) {
            // The list is rebuilt first, then the key has its normal effect. The
            // combo hands keys to its line edit directly, so each key passes
            // here once, whichever of the two it was sent to.
            rebuildFontList();
        } else if (inFonts && (ke->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) && bringsCharacter(ke)) {
            // Alt or Super with a letter is a shortcut, which the line edit
            // would still type into the name.
            return true;
        } else if (refusing && bringsCharacter(ke)) {
            QApplication::beep();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace gravik
