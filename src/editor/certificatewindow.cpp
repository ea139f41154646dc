#include "editor/certificatewindow.h"
#include "core/builtinstrings.h"
#include "core/controlnames.h"

#include "widgets/windowregistry.h"
#include "core/certificatefields.h"
#include "core/certificatehistory.h"
#include "core/fontlist.h"
#include "core/programdir.h"
#include "core/statefile.h"
#include "core/twips.h"
#include "widgets/cp1251guard.h"
#include "editor/blankcontrols.h"
#include "widgets/dialogs.h"
#include "editor/fieldlabel.h"
#include "widgets/hoverrouter.h"
#include "widgets/imagebutton.h"
#include "editor/keyboardaccess.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStringListModel>

#include <algorithm>
#include <cmath>

namespace gravik {

namespace {

const QColor kPanelBlue(200, 227, 251);
const QColor kRule(64, 64, 64);
const QStringList kSizes = {"7", "8", "9", "10", "11", "12"};
const QStringList kStyles = {"обычный", "жирный", "курсивный", "жирный курсивный"};

void place(QWidget *w, int l, int t, int wd, int h) { w->setGeometry(twips::toScreen(l, t, wd, h)); }

QFont timesBold(double pt)
{
    QFont f(QStringLiteral("Times New Roman"));
    f.setPointSizeF(pt);
    f.setBold(true);
    return f;
}

// A one-pixel rule between two twip points (horizontal or vertical).
QFrame *rule(QWidget *parent, const char *name, int x1, int y1, int x2, int y2)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    const QRect a = twips::toScreen(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1));
    line->setGeometry(a.x(), a.y(), std::max(1, a.width()), std::max(1, a.height()));
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, kRule);
    line->setPalette(pal);
    return line;
}

QLabel *caption(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h,
                Qt::Alignment align = Qt::AlignLeft, const QColor &color = Qt::black)
{
    auto *lab = new QLabel(text, parent);
    lab->setObjectName(QString::fromLatin1(name));
    place(lab, l, t, w, h);
    lab->setFont(timesBold(9.75));
    lab->setAlignment(align | Qt::AlignTop);
    QPalette pal = lab->palette();
    pal.setColor(QPalette::WindowText, color);
    lab->setPalette(pal);
    return lab;
}

struct InputRow {
    const char *caption;
    int line; // of the built-in strings
    int cl, ct, cw, ch;
    const char *box;
    Value value;
    int bl, bt, bw;
};

// The input rows of the panel; a row without caption carries only its box.
const InputRow kRows[] = {
    {"Label34", 6, 120, 3240, 255, 255, "Text1", Value::Surname, 480, 3240, 5175},
    {"Label55", 7, 120, 3600, 255, 255, "Text2", Value::FirstName, 480, 3600, 5175},
    {"Label56", 8, 120, 3960, 255, 255, "Text3", Value::Patronymic, 480, 3960, 5175},
    {"Label37", 9, 2040, 4320, 2535, 255, "Text4", Value::Year, 4680, 4320, 975},
    {"Label38", 10, 120, 4680, 1815, 255, "Text11", Value::School1, 2040, 4680, 3615},
    {nullptr, 0, 0, 0, 0, 0, "Text21", Value::School2, 120, 5040, 5535},
    {nullptr, 0, 0, 0, 0, 0, "Text24", Value::School3, 120, 5400, 5535},
    {nullptr, 0, 0, 0, 0, 0, "Text25", Value::School4, 120, 5760, 5535},
    {"Label42", 11, 120, 6240, 2535, 255, "Text5", Value::Director, 2760, 6240, 2895},
    {"Label43", 12, 120, 6600, 2535, 255, "Text6", Value::DeputyDirector, 2760, 6600, 2895},
    {"Label44", 13, 120, 6960, 2535, 255, "Text7", Value::ClassTeacher, 2760, 6960, 2895},
    {"Label45", 14, 120, 7320, 1215, 255, "Text8", Value::IssueDate1, 1440, 7320, 975},
    {nullptr, 0, 0, 0, 0, 0, "Text9", Value::IssueDate2, 2520, 7320, 615},
    {nullptr, 0, 0, 0, 0, 0, "Text10", Value::IssueDate3, 3240, 7320, 2415},
    {"Label46", 15, 120, 7680, 1695, 255, "Text30", Value::Settlement, 2520, 7680, 3135},
    {"Label47", 16, 120, 8160, 4215, 255, "Text12", Value::RegistrationNumber, 4440, 8160, 1215},
    {"Label35", 6, 6120, 3240, 255, 255, "Text13", Value::SurnameKz, 6480, 3240, 5175},
    {"Label57", 7, 6120, 3600, 255, 255, "Text14", Value::FirstNameKz, 6480, 3600, 5175},
    {"Label58", 8, 6120, 3960, 255, 255, "Text15", Value::PatronymicKz, 6480, 3960, 5175},
    {"Label36", 10, 6120, 4320, 1695, 255, "Text26", Value::School1Kz, 7920, 4320, 3735},
    {nullptr, 0, 0, 0, 0, 0, "Text27", Value::School2Kz, 6120, 4680, 5535},
    {nullptr, 0, 0, 0, 0, 0, "Text28", Value::School3Kz, 6120, 5040, 5535},
    {nullptr, 0, 0, 0, 0, 0, "Text29", Value::School4Kz, 6120, 5400, 5535},
    {"Label39", 11, 6120, 5880, 2535, 255, "Text16", Value::DirectorKz, 8760, 5880, 2895},
    {"Label40", 12, 6120, 6240, 2535, 255, "Text17", Value::DeputyDirectorKz, 8760, 6240, 2895},
    {"Label41", 13, 6120, 6600, 2535, 255, "Text18", Value::ClassTeacherKz, 8760, 6600, 2895},
    {"Label48", 14, 6120, 6960, 1215, 255, "Text19", Value::IssueDate1Kz, 8280, 6960, 975},
    {nullptr, 0, 0, 0, 0, 0, "Text20", Value::IssueDate2Kz, 9360, 6960, 2295},
    {"Label49", 15, 6120, 7320, 1695, 255, "Text31", Value::SettlementKz, 8280, 7320, 3375},
};

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

// An editable list chooses only from its list: Return or leaving the box with
// a text that equals an entry must not choose that entry.
void typedTextChoosesNothing(QComboBox *c)
{
    QObject::disconnect(c->lineEdit(), &QLineEdit::returnPressed, c, nullptr);
    QObject::disconnect(c->lineEdit(), &QLineEdit::editingFinished, c, nullptr);
}

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

void CertificateWindow::buildPreview()
{
    // Labels first, then the scroll bars, then the panel: later siblings lie on top.
    for (int n = 1; n <= FieldCount; ++n) {
        auto *l = new FieldLabel(n, this);
        m_labels[n - 1] = l;
        l->setColor(n == 20 || n == 22 ? palette().color(QPalette::WindowText) : normalFieldColor());
        connect(l, &FieldLabel::clicked, this, &CertificateWindow::selectField);
    }

    m_xBar = new QScrollBar(Qt::Horizontal, this);
    m_xBar->setObjectName(QStringLiteral("HScroll1"));
    place(m_xBar, 0, 8400, 11655, 255);
    m_xBar->setRange(0, 11250);
    m_yBar = new QScrollBar(Qt::Vertical, this);
    m_yBar->setObjectName(QStringLiteral("VScroll1"));
    place(m_yBar, 11640, 1560, 255, 6855);
    m_yBar->setRange(1550, 8180);
    m_yBar->setValue(1550);
    for (QScrollBar *s : {m_xBar, m_yBar}) {
        s->setSingleStep(20);
        s->setPageStep(500);
        s->setTracking(true); // the field follows the thumb while it is dragged
        connect(s, &QScrollBar::sliderPressed, m_history, &CertificateHistory::newGesture);
    }
    connect(m_xBar, &QScrollBar::valueChanged, this, [this](int v) { moveSelected(true, v); });
    connect(m_yBar, &QScrollBar::valueChanged, this, [this](int v) { moveSelected(false, v); });
}

void CertificateWindow::buildPanel()
{
    m_panel = new QFrame(this);
    m_panel->setObjectName(QStringLiteral("Frame1"));
    place(m_panel, 0, 0, 12015, 8655);
    m_panel->setAutoFillBackground(true);
    QPalette pal = m_panel->palette();
    pal.setColor(QPalette::Window, kPanelBlue);
    m_panel->setPalette(pal);
    QWidget *p = m_panel;

    // Top strip.
    caption(p, "Label51", builtinstrings::text(1), 120, 120, 1215, 255);
    m_fontList = new QComboBox(p);
    m_fontList->setObjectName(QStringLiteral("Combo9"));
    m_fontList->setEditable(true);
    m_fontList->setInsertPolicy(QComboBox::NoInsert);
    m_fontList->setCompleter(nullptr);
    m_fontModel = new QStringListModel(this);
    m_fontList->setModel(m_fontModel);
    place(m_fontList, 1440, 120, 3975, 315);
    caption(p, "Label53", builtinstrings::text(2), 5520, 120, 1455, 255);
    m_styleList = new QComboBox(p);
    m_styleList->setObjectName(QStringLiteral("Combo10"));
    place(m_styleList, 7080, 120, 1935, 315);
    caption(p, "Label52", builtinstrings::text(3), 9240, 120, 1575, 255);
    m_sizeList = new QComboBox(p);
    m_sizeList->setObjectName(QStringLiteral("Combo11"));
    place(m_sizeList, 10920, 120, 735, 315);
    for (QComboBox *c : {m_styleList, m_sizeList}) {
        // Editable so the stored text shows even when it is no list item;
        // typing is refused below.
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setCompleter(nullptr);
        c->lineEdit()->setReadOnly(true);
        c->installEventFilter(this);
        c->lineEdit()->installEventFilter(this);
    }
    m_fontList->installEventFilter(this);
    m_fontList->lineEdit()->installEventFilter(this);
    guardCp1251(m_fontList->lineEdit());
    typedTextChoosesNothing(m_fontList);
    // The boxes' texts are the document's font texts; only a choice applies them.
    connect(m_fontList, &QComboBox::editTextChanged, &m_doc, &CertificateDocument::setFontNameText);
    connect(m_styleList, &QComboBox::editTextChanged, &m_doc, &CertificateDocument::setStyleText);
    connect(m_sizeList, &QComboBox::editTextChanged, &m_doc, &CertificateDocument::setSizeText);
    connect(m_fontList, &QComboBox::activated, m_history, &CertificateHistory::applyFontName);
    connect(m_styleList, &QComboBox::activated, m_history, &CertificateHistory::applyStyle);
    connect(m_sizeList, &QComboBox::activated, m_history, &CertificateHistory::applySize);

    rule(p, "Line2", 11880, 600, 0, 600);
    auto addButton = [&](const char *name, const char *icon, const QString &tip, int l, int t) {
        auto *b = new ImageButton(QString::fromLatin1(name), QString::fromLatin1(icon), p);
        b->placeAt(l, t);
        b->setToolTip(tip);
        return b;
    };
    addButton(names::PrintButton, "print", builtinstrings::text(17), 120, 960);
    auto *lock = addButton("Image6", "lock-open", builtinstrings::text(18), 720, 960);
    auto *unlock = addButton("Image7", "lock-closed", builtinstrings::text(19), 1320, 960);
    connect(lock, &ImageButton::clicked, this, &CertificateWindow::openPanel);
    connect(unlock, &ImageButton::clicked, this, &CertificateWindow::closePanel);
    rule(p, "Line3", 1920, 1320, 9960, 1320);

    m_letters = new QCheckBox(builtinstrings::text(4), p);
    m_letters->setObjectName(QStringLiteral("Check1"));
    place(m_letters, 4440, 840, 3255, 255);
    m_letters->setFont(timesBold(12));
    connect(m_letters, &QCheckBox::toggled, &m_doc, &CertificateDocument::setLetters);

    addButton("Image8", "card", builtinstrings::text(20), 10080, 960);
    addButton("Image11", "gear", builtinstrings::text(21), 10680, 960);
    addButton("Image14", "smile", builtinstrings::text(22), 11280, 960);

    // Lower part, cut off by the panel's own height while it is closed.
    auto *ad = new QLabel(QStringLiteral("Gravik: аттестат без помарок. Поставьте каждое поле на свою "
                                         "строку бланка один раз, и печатайте сколько нужно."),
                          p);
    ad->setObjectName(QStringLiteral("Label54"));
    place(ad, 120, 1560, 11655, 855);
    ad->setWordWrap(true);
    ad->setAlignment(Qt::AlignCenter);
    ad->setFont(timesBold(11.25));
    QPalette adPal = ad->palette();
    adPal.setColor(QPalette::WindowText, QColor(128, 0, 128));
    ad->setPalette(adPal);
    rule(p, "Line5", 120, 2400, 11640, 2400);

    auto *pupilCaption = caption(p, "Label50", "Выберите ученика:", 120, 2640, 2775, 375);
    pupilCaption->setFont(timesBold(12));
    QPalette pcPal = pupilCaption->palette();
    pcPal.setColor(QPalette::WindowText, QColor(128, 0, 0));
    pupilCaption->setPalette(pcPal);
    m_pupilList = new QComboBox(p);
    m_pupilList->setObjectName(QString::fromLatin1(names::PupilList));
    m_pupilList->setEditable(true);
    m_pupilList->setInsertPolicy(QComboBox::NoInsert);
    place(m_pupilList, 3000, 2640, 4695, 315);
    m_pupilList->setCompleter(nullptr);
    typedTextChoosesNothing(m_pupilList);
    // Usable once the pupil chooser is attached to it.
    addButton(names::UpdateButton, "people", builtinstrings::text(23), 7920, 2520)->setEnabled(false);
    rule(p, "Line4", 11640, 3120, 120, 3120);
    rule(p, "Line1", 5880, 3120, 5880, 8640);

    for (const InputRow &r : kRows) {
        if (r.caption) {
            const QString &text = builtinstrings::text(r.line);
            const bool letter = text.size() == 1;
            Qt::Alignment align = Qt::AlignLeft;
            if (letter)
                align = Qt::AlignHCenter;
            else if (qstrcmp(r.caption, "Label37") == 0 || qstrcmp(r.caption, "Label47") == 0)
                align = Qt::AlignRight;
            // Only И and О take the button-text colour; Ф stays black.
            const bool coloured = r.line == 7 || r.line == 8;
            const QColor color = coloured ? normalFieldColor() : QColor(Qt::black);
            caption(p, r.caption, text, r.cl, r.ct, r.cw, r.ch, align, color);
        }
        auto *box = new QLineEdit(p);
        box->setObjectName(QString::fromLatin1(r.box));
        place(box, r.bl, r.bt, r.bw, 285);
        guardCp1251(box);
        m_boxes[size_t(r.value)] = box;
        connect(box, &QLineEdit::textChanged, &m_doc, [this, v = r.value](const QString &t) { m_doc.setValue(v, t); });
    }
    // The full words behind the one-letter captions.
    const std::pair<const char *, int> tips[] = {{"Label34", 30}, {"Label35", 30}, {"Label55", 31},
                                                 {"Label57", 31}, {"Label56", 32}, {"Label58", 32}};
    for (const auto &[name, line] : tips)
        p->findChild<QLabel *>(QString::fromLatin1(name))->setToolTip(builtinstrings::text(line));
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
