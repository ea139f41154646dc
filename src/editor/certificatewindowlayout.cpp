// The main window's controls and their places: the page preview with its
// scroll bars, and the data-entry panel.
#include "editor/certificatewindow.h"
#include "core/builtinstrings.h"
#include "core/certificatehistory.h"
#include "core/controlnames.h"
#include "core/twips.h"
#include "editor/fieldlabel.h"
#include "widgets/cp1251guard.h"
#include "widgets/imagebutton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStringListModel>

#include <algorithm>
#include <cmath>

namespace gravik {

namespace {

const QColor kPanelBlue(200, 227, 251);
const QColor kRule(64, 64, 64);

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

// An editable list chooses only from its list: Return or leaving the box with
// a text that equals an entry must not choose that entry.
void typedTextChoosesNothing(QComboBox *c)
{
    QObject::disconnect(c->lineEdit(), &QLineEdit::returnPressed, c, nullptr);
    QObject::disconnect(c->lineEdit(), &QLineEdit::editingFinished, c, nullptr);
}

} // namespace

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

} // namespace gravik
