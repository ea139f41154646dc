#include "i18n/translationeditor.h"
#include "core/builtinstrings.h"

#include "core/twips.h"
#include "widgets/cp1251guard.h"
#include "i18n/interfacelanguage.h"
#include "widgets/notices.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

namespace gravik {

namespace {

constexpr int kClientWidth = 11565;
constexpr int kClientHeight = 7005;
constexpr int kPageHeight = 8520 + 285 + 120; // the lowest row of boxes and a margin
constexpr int kBoxHeight = 285;
constexpr int kRowStep = 240;
constexpr int kFirstTop = 120;
constexpr int kKazakhShift = 5760;

using Rects = std::array<QRect, TranslationTable::StringCount + 1>;

Rects buildLayout()
{
    Rects r{};
    auto put = [&r](int n, int left, int top, int width) { r[n] = QRect(left, top, width, kBoxHeight); };
    auto rowTop = [](int i) { return kFirstTop + i * kRowStep; };

    // Russian, left column: 0 stands for the row of 6, 7 and 8.
    const int colA[] = {1, 2, 3, 4, 5, 0, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23};
    for (int i = 0; i < int(std::size(colA)); ++i) {
        if (colA[i]) {
            put(colA[i], 120, rowTop(i), 2775);
        } else {
            put(6, 120, rowTop(i), 975);
            put(7, 1080, rowTop(i), 975);
            put(8, 2040, rowTop(i), 855);
        }
    }
    // Russian, second column: -30 and -39 are the split rows 30/31 and 39/40.
    const int colB[] = {24, 26, 27, 28, 29, -30, 32, 36, 37, 38, -39, 41, 42, 44, 45, 47, 48, 49, 50, 51, 52};
    for (int i = 0; i < int(std::size(colB)); ++i) {
        const int t = rowTop(i);
        if (colB[i] == -30) {
            put(30, 2880, t, 1455);
            put(31, 4320, t, 1335);
        } else if (colB[i] == -39) {
            put(39, 2880, t, 1335);
            put(40, 4200, t, 1455);
        } else {
            put(colB[i], 2880, t, 2775);
        }
    }
    const int wide[] = {33, 34, 35, 43, 46, 25, 57};
    for (int i = 0; i < int(std::size(wide)); ++i)
        put(wide[i], 120, 5160 + i * kRowStep, 5535);
    for (int i = 0; i < 4; ++i)
        put(53 + i, 120, 7800 + i * kRowStep, 2775);

    for (int ru = 1; ru <= TranslationTable::RussianCount; ++ru)
        r[TranslationTable::kazakhLineOf(ru)] = r[ru].translated(kKazakhShift, 0);
    put(64, 6840, r[64].top(), 855);
    put(65, 7680, r[65].top(), 975);
    put(93, 8640, r[93].top(), 1455);
    put(94, 10080, r[94].top(), 1335);
    for (int kz = 105; kz <= 108; ++kz)
        put(kz, 2880, r[kz].top(), 2775);
    return r;
}

} // namespace

QRect TranslationEditor::boxTwips(int n)
{
    static const Rects rects = buildLayout();
    return rects.at(n);
}

TranslationEditor::TranslationEditor(InterfaceLanguage &language, QWidget *parent)
    : QWidget(parent), m_service(language)
{
    setObjectName(QStringLiteral("Lang"));
    setWindowTitle(builtinstrings::text(36));

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("Scroll1"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Page1"));
    page->setFixedSize(twips::toScreen(0, 0, kClientWidth, kPageHeight).size());

    for (int n = 1; n <= TranslationTable::StringCount; ++n) {
        auto *b = new QLineEdit(m_service.strings().table().text(n), page);
        b->setObjectName(QStringLiteral("Text%1").arg(n));
        const QRect r = boxTwips(n);
        b->setGeometry(twips::toScreen(r.left(), r.top(), r.width(), r.height()));
        b->setEnabled(!isFixedLine(n));
        guardCp1251(b);
        connect(b, &QLineEdit::textChanged, this, [this, n](const QString &t) { m_service.strings().setText(n, t); });
        m_boxes[n - 1] = b;
    }

    auto *line = new QFrame(page);
    line->setObjectName(QStringLiteral("Line1"));
    const QRect l = twips::toScreen(5760, 120, 0, 6840 - 120);
    line->setGeometry(l.x(), l.y(), 1, l.height());
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, QColor(64, 64, 64));
    line->setPalette(pal);

    m_scroll->setWidget(page);
    const QSize client = twips::toScreen(0, 0, kClientWidth, kClientHeight).size();
    const int bar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    setFixedSize(client.width() + bar, client.height());
    m_scroll->setGeometry(rect());
}

// The strings go with the editor: the next use reads the file again.
TranslationEditor::~TranslationEditor()
{
    m_service.strings().close();
}

void TranslationEditor::creationStep()
{
    // Read unless they are in use already (an application read them).
    const TranslationTable table = m_service.table();
    for (int n = 1; n <= TranslationTable::StringCount; ++n)
        box(n)->setText(table.text(n));
    if (const auto code = InterfaceLanguage::readStoredCode())
        languageCode().setText(*code);
}

const TranslationTable &TranslationEditor::table() const
{
    return m_service.strings().table();
}

bool TranslationEditor::save(QString *error) const
{
    return table().save(TranslationTable::defaultPath(), error);
}

void TranslationEditor::closeEvent(QCloseEvent *e)
{
    QString error;
    if (!save(&error)) {
        // Closing would lose the edits: the window stays so they can be saved later.
        notices::warning(this, error + QStringLiteral("\nПеревод не сохранён, окно остаётся открытым."));
        e->ignore();
        return;
    }
    e->accept();
}

} // namespace gravik
