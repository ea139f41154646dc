#include "editor/blankard.h"

#include "widgets/windowregistry.h"
#include "core/certificatefields.h"
#include "core/fontlist.h"
#include "core/programdir.h"
#include "core/statefile.h"
#include "core/twips.h"
#include "widgets/cp1251guard.h"
#include "editor/fieldlabel.h"
#include "widgets/hoverrouter.h"
#include "widgets/imagebutton.h"

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
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QStringListModel>

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
    const char *text;
    int cl, ct, cw, ch;
    const char *box;
    int bl, bt, bw;
};

// The input rows of the panel; a row without caption carries only its box.
const InputRow kRows[] = {
    {"Label34", "Ф", 120, 3240, 255, 255, "Text1", 480, 3240, 5175},
    {"Label55", "И", 120, 3600, 255, 255, "Text2", 480, 3600, 5175},
    {"Label56", "О", 120, 3960, 255, 255, "Text3", 480, 3960, 5175},
    {"Label37", "Год окончания", 2040, 4320, 2535, 255, "Text4", 4680, 4320, 975},
    {"Label38", "Название школы", 120, 4680, 1815, 255, "Text11", 2040, 4680, 3615},
    {nullptr, nullptr, 0, 0, 0, 0, "Text21", 120, 5040, 5535},
    {nullptr, nullptr, 0, 0, 0, 0, "Text24", 120, 5400, 5535},
    {nullptr, nullptr, 0, 0, 0, 0, "Text25", 120, 5760, 5535},
    {"Label42", "Директор", 120, 6240, 2535, 255, "Text5", 2760, 6240, 2895},
    {"Label43", "Заместитель директора", 120, 6600, 2535, 255, "Text6", 2760, 6600, 2895},
    {"Label44", "Классный руководитель", 120, 6960, 2535, 255, "Text7", 2760, 6960, 2895},
    {"Label45", "Дата выдачи", 120, 7320, 1215, 255, "Text8", 1440, 7320, 975},
    {nullptr, nullptr, 0, 0, 0, 0, "Text9", 2520, 7320, 615},
    {nullptr, nullptr, 0, 0, 0, 0, "Text10", 3240, 7320, 2415},
    {"Label46", "Населенный пункт", 120, 7680, 1695, 255, "Text30", 2520, 7680, 3135},
    {"Label47", "Регистрационный номер", 120, 8160, 4215, 255, "Text12", 4440, 8160, 1215},
    {"Label35", "Ф", 6120, 3240, 255, 255, "Text13", 6480, 3240, 5175},
    {"Label57", "И", 6120, 3600, 255, 255, "Text14", 6480, 3600, 5175},
    {"Label58", "О", 6120, 3960, 255, 255, "Text15", 6480, 3960, 5175},
    {"Label36", "Название школы", 6120, 4320, 1695, 255, "Text26", 7920, 4320, 3735},
    {nullptr, nullptr, 0, 0, 0, 0, "Text27", 6120, 4680, 5535},
    {nullptr, nullptr, 0, 0, 0, 0, "Text28", 6120, 5040, 5535},
    {nullptr, nullptr, 0, 0, 0, 0, "Text29", 6120, 5400, 5535},
    {"Label39", "Директор", 6120, 5880, 2535, 255, "Text16", 8760, 5880, 2895},
    {"Label40", "Заместитель директора", 6120, 6240, 2535, 255, "Text17", 8760, 6240, 2895},
    {"Label41", "Классный руководитель", 6120, 6600, 2535, 255, "Text18", 8760, 6600, 2895},
    {"Label48", "Дата выдачи", 6120, 6960, 1215, 255, "Text19", 8280, 6960, 975},
    {nullptr, nullptr, 0, 0, 0, 0, "Text20", 9360, 6960, 2295},
    {"Label49", "Населенный пункт", 6120, 7320, 1695, 255, "Text31", 8280, 7320, 3375},
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

} // namespace

Blankard::Blankard(FontSource fonts, QWidget *parent)
    : QWidget(parent), m_fonts(fonts ? std::move(fonts) : FontSource(installedFamilies))
{
    setObjectName(QStringLiteral("Blankard"));
    setWindowTitle(QStringLiteral("Школьный аттестат"));
    setFixedSize(twips::toScreen(0, 0, 11895, 8655).size());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    buildPreview();
    buildPanel();
    m_hover = new HoverRouter(this, mainHoverTable());

    if (const QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

Blankard::~Blankard()
{
    // The base class hides the window after this object's members are gone;
    // nothing may reach them then (focus moves can make a list "choose").
    for (QComboBox *c : {m_combo9, m_combo10, m_combo11, m_combo12}) {
        c->disconnect(this);
        c->removeEventFilter(this);
        if (c->lineEdit())
            c->lineEdit()->removeEventFilter(this);
    }
}

void Blankard::buildPreview()
{
    // Labels first, then the scroll bars, then the panel: later siblings lie on top.
    for (int n = 1; n <= FieldCount; ++n) {
        auto *l = new FieldLabel(n, this);
        m_labels[n - 1] = l;
        l->setColor(n == 20 || n == 22 ? palette().color(QPalette::WindowText) : normalFieldColor());
        connect(l, &FieldLabel::clicked, this, &Blankard::selectField);
    }
    // The mirrors follow their fields' text.
    connect(fieldLabel(4), &FieldLabel::textChanged, fieldLabel(21), &FieldLabel::setText);
    connect(fieldLabel(16), &FieldLabel::textChanged, fieldLabel(33), &FieldLabel::setText);

    m_hscroll = new QScrollBar(Qt::Horizontal, this);
    m_hscroll->setObjectName(QStringLiteral("HScroll1"));
    place(m_hscroll, 0, 8400, 11655, 255);
    m_hscroll->setRange(0, 11250);
    m_vscroll = new QScrollBar(Qt::Vertical, this);
    m_vscroll->setObjectName(QStringLiteral("VScroll1"));
    place(m_vscroll, 11640, 1560, 255, 6855);
    m_vscroll->setRange(1550, 8180);
    m_vscroll->setValue(1550);
    for (QScrollBar *s : {m_hscroll, m_vscroll}) {
        s->setSingleStep(20);
        s->setPageStep(500);
        s->setTracking(true); // the field follows the thumb while it is dragged
    }
    connect(m_hscroll, &QScrollBar::valueChanged, this, [this](int v) { moveSelected(true, v); });
    connect(m_vscroll, &QScrollBar::valueChanged, this, [this](int v) { moveSelected(false, v); });
}

void Blankard::buildPanel()
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
    caption(p, "Label51", "Шрифт", 120, 120, 1215, 255);
    m_combo9 = new QComboBox(p);
    m_combo9->setObjectName(QStringLiteral("Combo9"));
    m_combo9->setEditable(true);
    m_combo9->setInsertPolicy(QComboBox::NoInsert);
    m_combo9->setCompleter(nullptr);
    m_fontModel = new QStringListModel(this);
    m_combo9->setModel(m_fontModel);
    place(m_combo9, 1440, 120, 3975, 315);
    caption(p, "Label53", "Начертание", 5520, 120, 1455, 255);
    m_combo10 = new QComboBox(p);
    m_combo10->setObjectName(QStringLiteral("Combo10"));
    place(m_combo10, 7080, 120, 1935, 315);
    caption(p, "Label52", "Размер текста", 9240, 120, 1575, 255);
    m_combo11 = new QComboBox(p);
    m_combo11->setObjectName(QStringLiteral("Combo11"));
    place(m_combo11, 10920, 120, 735, 315);
    for (QComboBox *c : {m_combo10, m_combo11}) {
        // Editable so the stored text shows even when it is no list item;
        // typing is refused below.
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setCompleter(nullptr);
        c->lineEdit()->setReadOnly(true);
        c->installEventFilter(this);
        c->lineEdit()->installEventFilter(this);
    }
    m_combo9->installEventFilter(this);
    m_combo9->lineEdit()->installEventFilter(this);
    guardCp1251(m_combo9->lineEdit());
    connect(m_combo9, &QComboBox::activated, this, &Blankard::applyFontName);
    connect(m_combo10, &QComboBox::activated, this, &Blankard::applyStyle);
    connect(m_combo11, &QComboBox::activated, this, &Blankard::applySize);

    rule(p, "Line2", 11880, 600, 0, 600);
    auto addButton = [&](const char *name, const char *icon, const QString &tip, int l, int t) {
        auto *b = new ImageButton(QString::fromLatin1(name), QString::fromLatin1(icon), p);
        b->placeAt(l, t);
        b->setToolTip(tip);
        return b;
    };
    addButton("Image5", "print", "Отправить на печать", 120, 960);
    auto *lock = addButton("Image6", "lock-open", "Заблокировать", 720, 960);
    auto *unlock = addButton("Image7", "lock-closed", "Разблокировать", 1320, 960);
    connect(lock, &ImageButton::clicked, this, &Blankard::openPanel);
    connect(unlock, &ImageButton::clicked, this, &Blankard::closePanel);
    rule(p, "Line3", 1920, 1320, 9960, 1320);

    m_check1 = new QCheckBox(QStringLiteral("Добавить букву а"), p);
    m_check1->setObjectName(QStringLiteral("Check1"));
    place(m_check1, 4440, 840, 3255, 255);
    m_check1->setFont(timesBold(12));
    connect(m_check1, &QCheckBox::toggled, this, &Blankard::setLetters);

    addButton("Image8", "card", "База учеников", 10080, 960);
    addButton("Image11", "gear", "Настройки", 10680, 960);
    addButton("Image14", "smile", "О программе", 11280, 960);

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
    m_combo12 = new QComboBox(p);
    m_combo12->setObjectName(QStringLiteral("Combo12"));
    m_combo12->setEditable(true);
    m_combo12->setInsertPolicy(QComboBox::NoInsert);
    place(m_combo12, 3000, 2640, 4695, 315);
    // Usable once the pupil chooser is attached to it.
    addButton("Image1", "people", "Обновить список", 7920, 2520)->setEnabled(false);
    rule(p, "Line4", 11640, 3120, 120, 3120);
    rule(p, "Line1", 5880, 3120, 5880, 8640);

    for (const InputRow &r : kRows) {
        if (r.caption) {
            const QString text = QString::fromUtf8(r.text);
            const bool letter = text.size() == 1;
            Qt::Alignment align = Qt::AlignLeft;
            if (letter)
                align = Qt::AlignHCenter;
            else if (qstrcmp(r.caption, "Label37") == 0 || qstrcmp(r.caption, "Label47") == 0)
                align = Qt::AlignRight;
            const QColor color = letter ? normalFieldColor() : QColor(Qt::black);
            caption(p, r.caption, text, r.cl, r.ct, r.cw, r.ch, align, color);
        }
        auto *box = new QLineEdit(p);
        box->setObjectName(QString::fromLatin1(r.box));
        place(box, r.bl, r.bt, r.bw, 285);
        guardCp1251(box);
        const int n = fieldOfInputBox(box->objectName());
        connect(box, &QLineEdit::textChanged, fieldLabel(n), &FieldLabel::setText);
    }
    // The full words behind the one-letter captions.
    const std::pair<const char *, const char *> tips[] = {
        {"Label34", "Фамилия"}, {"Label35", "Фамилия"}, {"Label55", "Имя"},
        {"Label57", "Имя"},     {"Label56", "Отчество"}, {"Label58", "Отчество"}};
    for (const auto &[name, tip] : tips)
        p->findChild<QLabel *>(QString::fromLatin1(name))->setToolTip(QString::fromUtf8(tip));
}

QLineEdit *Blankard::box(const QString &name) const
{
    return m_panel->findChild<QLineEdit *>(name, Qt::FindDirectChildrenOnly);
}

ImageButton *Blankard::button(const QString &name) const
{
    return m_panel->findChild<ImageButton *>(name);
}

void Blankard::setRegistry(WindowRegistry *registry)
{
    m_registry = registry;
    const std::pair<const char *, WindowKind> windows[] = {{"Image5", WindowKind::Print},
                                                           {"Image8", WindowKind::Baza},
                                                           {"Image11", WindowKind::Settings},
                                                           {"Image14", WindowKind::Help}};
    for (const auto &[name, kind] : windows) {
        ImageButton *b = button(QString::fromLatin1(name));
        // A window that is not part of this build yet leaves its button disabled.
        b->setEnabled(registry && registry->available(kind));
        disconnect(b, &ImageButton::clicked, this, nullptr);
        if (registry && registry->available(kind))
            connect(b, &ImageButton::clicked, this, [registry, kind = kind] { registry->show(kind); });
    }
}

// ---- start-up and shut-down ----

bool Blankard::startUp(QString *error)
{
    // Size and style lists, then the fonts.
    m_combo11->clear();
    m_combo11->addItems(kSizes);
    m_combo10->clear();
    m_combo10->addItems(kStyles);
    rebuildFontList();

    StateFile::Error e;
    const auto state = StateFile::load(programdir::file(QStringLiteral("1.txt")), &e);
    if (!state) {
        if (error)
            *error = e.message;
        return false;
    }
    loadState(*state);
    placeAllFields();
    applyFontName();
    applyStyle();
    applySize();

    if (m_steps.fillPupilList)
        m_steps.fillPupilList();
    if (m_steps.readLanguage)
        m_steps.readLanguage();
    if (m_steps.chooseFirstPupil)
        m_steps.chooseFirstPupil();
    return true;
}

void Blankard::loadState(const StateFile &state)
{
    // The table starts from its defaults and places every field there before the
    // stored entries arrive.
    m_table = CoordinateTable();
    placeAllFields();
    const QStringList &boxes = stateFileBoxes();
    for (int i = 0; i < boxes.size(); ++i)
        box(boxes.at(i))->setText(state.line(i + 1));
    m_combo9->setEditText(state.line(StateFile::FontLine));
    m_combo10->setEditText(state.line(StateFile::StyleLine));
    m_combo11->setEditText(state.line(StateFile::SizeLine));
    for (int k = 1; k <= CoordinateTable::EntryCount; ++k)
        m_table.setEntry(k, state.line(StateFile::FirstCoordinateLine + k - 1));
}

StateFile Blankard::currentState() const
{
    StateFile s;
    const QStringList &boxes = stateFileBoxes();
    for (int i = 0; i < boxes.size(); ++i)
        s.setLine(i + 1, box(boxes.at(i))->text());
    s.setLine(StateFile::FontLine, m_combo9->currentText());
    s.setLine(StateFile::StyleLine, m_combo10->currentText());
    s.setLine(StateFile::SizeLine, m_combo11->currentText());
    for (int k = 1; k <= CoordinateTable::EntryCount; ++k)
        s.setLine(StateFile::FirstCoordinateLine + k - 1, m_table.entry(k));
    return s;
}

bool Blankard::shutDown()
{
    if (m_shutDown)
        return true;
    m_shutDown = true;
    QString error;
    const bool ok = currentState().save(programdir::file(QStringLiteral("1.txt")), &error);
    if (!ok) {
        qCritical("%s", qUtf8Printable(error));
        QMessageBox::critical(this, windowTitle(), error);
    }
    emit shuttingDown();
    QCoreApplication::exit(ok ? 0 : 1);
    return ok;
}

void Blankard::closeEvent(QCloseEvent *e)
{
    shutDown();
    e->accept();
}

// ---- fields ----

void Blankard::placeField(int n)
{
    FieldLabel *l = fieldLabel(n);
    if (auto y = m_table.number(CoordinateTable::yEntry(n)))
        l->setTopTwips(*y);
    if (auto x = m_table.number(CoordinateTable::xEntry(n)))
        l->setLeftTwips(*x);
}

void Blankard::placeAllFields()
{
    for (int n = 1; n <= FieldCount; ++n)
        if (auto y = m_table.number(CoordinateTable::yEntry(n)))
            fieldLabel(n)->setTopTwips(*y);
    for (int n = 1; n <= FieldCount; ++n)
        if (auto x = m_table.number(CoordinateTable::xEntry(n)))
            fieldLabel(n)->setLeftTwips(*x);
}

QColor Blankard::normalFieldColor()
{
    return QApplication::palette().color(QPalette::ButtonText);
}

void Blankard::resetFieldColours()
{
    for (FieldLabel *l : m_labels)
        l->setColor(normalFieldColor());
}

std::vector<page::FieldContent> Blankard::pageContent() const
{
    std::vector<page::FieldContent> out;
    out.reserve(FieldCount);
    for (const FieldLabel *l : m_labels)
        out.push_back(l->content());
    return out;
}

void Blankard::setLetters(bool ticked)
{
    if (ticked) {
        fieldLabel(20)->setText(QStringLiteral("а"));
        fieldLabel(22)->setText(QStringLiteral("а"));
    } else {
        fieldLabel(22)->setText(QString());
        fieldLabel(20)->setText(QString());
    }
}

// ---- panel ----

bool Blankard::panelOpen() const
{
    return m_panel->height() == twips::toScreen(0, 0, 0, 8655).height();
}

void Blankard::setLowerPartVisible(bool visible)
{
    // Everything below the top strip goes with the panel's lower part; hidden
    // rather than only cut off, so no sliver of it shows or takes the mouse.
    const int strip = twips::toScreen(0, 0, 0, 1560).height();
    for (QWidget *w : m_panel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w->y() >= strip)
            w->setVisible(visible);
}

void Blankard::openPanel()
{
    m_panel->resize(m_panel->width(), twips::toScreen(0, 0, 0, 8655).height());
    setLowerPartVisible(true);
}

void Blankard::closePanel()
{
    m_panel->resize(m_panel->width(), twips::toScreen(0, 0, 0, 1575).height());
    setLowerPartVisible(false);
    for (int n : panelCopyOrder())
        fieldLabel(n)->setText(box(QString::fromLatin1(certificateField(n).inputBox))->text());
}

// ---- selection and positioning ----

void Blankard::selectField(int n)
{
    if (n < 1 || n > FieldCount)
        return;
    m_selected = n;
    // An entry edited by hand into something the scroll bar cannot show is
    // clamped into its range, and the clamped value is written back.
    auto toBar = [this](int k, QScrollBar *bar) {
        const auto v = m_table.number(k);
        const int value = std::clamp(v ? int(std::lround(*v)) : bar->minimum(), bar->minimum(), bar->maximum());
        if (m_table.entry(k) != QString::number(value)) {
            m_table.setEntry(k, QString::number(value));
            placeField(m_selected);
        }
        bar->setValue(value);
    };
    toBar(CoordinateTable::xEntry(n), m_hscroll);
    toBar(CoordinateTable::yEntry(n), m_vscroll);
    for (int i = 1; i <= FieldCount; ++i)
        fieldLabel(i)->setColor(i == n ? QColor(255, 0, 0) : normalFieldColor());
}

void Blankard::moveSelected(bool horizontal, int value)
{
    if (m_selected == 0)
        return;
    FieldLabel *l = fieldLabel(m_selected);
    if (horizontal) {
        const int k = CoordinateTable::xEntry(m_selected);
        m_table.setEntry(k, QString::number(value));
        l->setLeftTwips(*m_table.number(k));
    } else {
        const int k = CoordinateTable::yEntry(m_selected);
        m_table.setEntry(k, QString::number(value));
        l->setTopTwips(*m_table.number(k));
    }
}

// ---- font controls ----

void Blankard::rebuildFontList()
{
    m_fontModel->setStringList(fontlist::build(m_fonts()));
    m_combo9->setCurrentIndex(-1);
    m_combo9->setEditText(QString());
}

void Blankard::setFieldFont(const QFont &f)
{
    m_font = f;
    for (FieldLabel *l : m_labels)
        l->setFont(m_font);
}

void Blankard::applyFontName()
{
    QFont f = m_font;
    f.setFamilies({m_combo9->currentText()});
    setFieldFont(f);
}

void Blankard::applyStyle()
{
    const QString s = m_combo10->currentText();
    // Compared in this order; a text that is none of the four leaves the flags alone.
    const std::pair<const char *, std::pair<bool, bool>> styles[] = {
        {"жирный", {true, false}},
        {"жирный курсивный", {true, true}},
        {"обычный", {false, false}},
        {"курсивный", {false, true}}};
    for (const auto &[name, flags] : styles) {
        if (s == QString::fromUtf8(name)) {
            QFont f = m_font;
            f.setBold(flags.first);
            f.setItalic(flags.second);
            setFieldFont(f);
            return;
        }
    }
}

void Blankard::applySize()
{
    const auto pt = CoordinateTable::toNumber(m_combo11->currentText());
    if (!pt || *pt <= 0)
        return;
    QFont f = m_font;
    f.setPointSizeF(*pt);
    setFieldFont(f);
}

bool Blankard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        const bool inFonts = watched == m_combo9 || watched == m_combo9->lineEdit();
        const bool refusing = watched == m_combo10 || watched == m_combo10->lineEdit() ||
                              watched == m_combo11 || watched == m_combo11->lineEdit();
        if (inFonts && !(watched == m_combo9 && m_combo9->lineEdit()->hasFocus())) {
            // The list is rebuilt first, then the key has its normal effect.
            rebuildFontList();
        } else if (refusing && !isNavigationKey(ke->key())) {
            QApplication::beep();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace gravik
