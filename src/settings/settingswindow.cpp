#include "settings/settingswindow.h"
#include "core/builtinstrings.h"
#include "core/controlnames.h"

#include "settings/aboutwindow.h"

#include "widgets/windowregistry.h"
#include "core/twips.h"
#include "widgets/hoverrouter.h"
#include "widgets/imagebutton.h"
#include "i18n/interfacelanguage.h"
#include "language/languagefile.h"
#include "widgets/notices.h"
#include "printing/defaultprinter.h"
#include "settings/printerdialog.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QProcess>
#include <QRadioButton>

namespace gravik {

namespace {

void place(QWidget *w, int l, int t, int wd, int h) { w->setGeometry(twips::toScreen(l, t, wd, h)); }

// A caption that acts on a click, like a link, and on Space or Return once
// Tab has reached it.
class LinkLabel : public QLabel
{
public:
    LinkLabel(const QString &text, QWidget *parent, std::function<void()> onClick)
        : QLabel(text, parent), m_onClick(std::move(onClick))
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
    }

protected:
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
            m_onClick();
        QLabel::mouseReleaseEvent(e);
    }
    void keyPressEvent(QKeyEvent *e) override
    {
        const int k = e->key();
        if ((k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter) && !e->isAutoRepeat() &&
            (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            m_onClick();
            return;
        }
        QLabel::keyPressEvent(e);
    }
    void paintEvent(QPaintEvent *e) override
    {
        QLabel::paintEvent(e);
        if (!hasFocus())
            return;
        // Around the text, inside the label: nothing moves.
        QStylePainter p(this);
        QStyleOptionFocusRect o;
        o.initFrom(this);
        o.rect = contentsRect().intersected(
            fontMetrics().boundingRect(contentsRect(), int(alignment()), text()).adjusted(-2, 0, 2, 0));
        p.drawPrimitive(QStyle::PE_FrameFocusRect, o);
    }

private:
    std::function<void()> m_onClick;
};

QGroupBox *frame(QWidget *parent, const char *name, const QString &title, int l, int t)
{
    auto *f = new QGroupBox(title, parent);
    f->setObjectName(QString::fromLatin1(name));
    place(f, l, t, 3495, 1575);
    return f;
}

QLabel *text(QWidget *parent, const char *name, const QString &caption, int l, int t)
{
    auto *lab = new QLabel(caption, parent);
    lab->setObjectName(QString::fromLatin1(name));
    lab->setTextFormat(Qt::PlainText);
    lab->setWordWrap(true);
    lab->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(lab, l, t, 2775, 615);
    return lab;
}

using Pic = HoverRule::Picture;

HoverTable settingsHoverTable()
{
    const std::vector<std::pair<QString, Pic>> bothNormal = {{"Image1", Pic::Normal}, {"Image2", Pic::Normal}};
    return {
        {"Image1", {{"Image1", Pic::Highlighted}}},
        {"Image2", {{"Image2", Pic::Highlighted}}},
        {"Nastroiki", bothNormal},
        {"Frame2", bothNormal},
        {"Label2", bothNormal},
        {"Frame3", {{"Image2", Pic::Normal}}},
        {"Label1", {{"Image2", Pic::Normal}}},
    };
}

} // namespace

SettingsWindow::SettingsWindow(WindowRegistry *registry, QWidget *parent)
    : QWidget(parent), m_registry(registry)
{
    setObjectName(QStringLiteral("Nastroiki"));
    setWindowTitle(builtinstrings::text(37));
    setFixedSize(twips::toScreen(0, 0, 7320, 3525).size());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(200, 227, 251));
    setPalette(pal);

    QGroupBox *language = frame(this, "Frame1", builtinstrings::text(38), 120, 120);
    auto *russian = new QRadioButton(builtinstrings::text(39), language);
    russian->setObjectName(QString::fromLatin1(names::RussianOption));
    place(russian, 240, 480, 3135, 255);
    auto *kazakh = new QRadioButton(builtinstrings::text(40), language);
    kazakh->setObjectName(QString::fromLatin1(names::KazakhOption));
    place(kazakh, 240, 720, 3135, 255);
    auto *link = new LinkLabel(builtinstrings::text(41), language, [this] { openTranslationEditor(); });
    link->setObjectName(QStringLiteral("Label3"));
    link->setTextFormat(Qt::PlainText);
    place(link, 120, 1200, 3255, 255);
    QPalette linkPal = link->palette();
    linkPal.setColor(QPalette::WindowText, QColor(0, 0, 192));
    link->setPalette(linkPal);

    frame(this, "Frame4", QString(), 3720, 120);

    QGroupBox *printer = frame(this, "Frame3", QStringLiteral("Настройка принтера"), 120, 1800);
    text(printer, "Label1", builtinstrings::text(43), 120, 480);
    auto *printerButton = new ImageButton(QStringLiteral("Image2"), QStringLiteral("install"), printer);
    printerButton->placeAt(2880, 480);

    QGroupBox *driver = frame(this, "Frame2", QStringLiteral("Драйвер Казахского языка"), 3720, 1800);
    text(driver, "Label2", builtinstrings::text(46), 120, 480);
    auto *driverButton = new ImageButton(QStringLiteral("Image1"), QStringLiteral("install"), driver);
    driverButton->placeAt(2880, 480);

    // Options are selected by the operator or by the language application; either
    // way the code follows, and an equal code is no change.
    connect(russian, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_language.setText(LanguageCode::Russian);
    });
    connect(kazakh, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_language.setText(LanguageCode::Kazakh);
    });
    connect(&m_language, &LanguageCode::changed, this, [this] { m_haveCode = true; });
    connect(printerButton, &ImageButton::clicked, this, &SettingsWindow::chooseDefaultPrinter);
    connect(driverButton, &ImageButton::clicked, this, &SettingsWindow::startDriverInstaller);

    m_hover = new HoverRouter(this, settingsHoverTable());
}

void SettingsWindow::creationStep()
{
    if (const auto code = InterfaceLanguage::readStoredCode())
        m_language.setText(*code);
}

void SettingsWindow::openTranslationEditor()
{
    if (m_registry)
        m_registry->show(WindowKind::Lang);
}

void SettingsWindow::chooseDefaultPrinter()
{
    const QStringList names = printers::names();
    if (names.isEmpty())
        return; // no printer: nothing to choose from
    PrinterDialog dialog(names, printers::defaultPrinter(), this);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen().isEmpty())
        return;
    QString ignored;
    printers::setDefaultPrinter(dialog.chosen(), &ignored);
}

void SettingsWindow::startDriverInstaller()
{
    if (!QProcess::startDetached(DriverInstaller))
        notices::warning(this, QStringLiteral("Не удалось запустить программу %1 (установка драйвера "
                                              "казахского языка).")
                                   .arg(DriverInstaller));
}

void SettingsWindow::closeEvent(QCloseEvent *e)
{
    if (m_haveCode) {
        QString error;
        if (!languagefile::write(languagefile::defaultPath(), m_language.text(), &error)) {
            notices::warning(this, error + QStringLiteral("\nВыбор языка не сохранён, окно остаётся открытым."));
            e->ignore();
            return;
        }
    }
    e->accept();
}

void registerSettings(WindowRegistry &registry)
{
    registry.add<SettingsWindow>(WindowKind::Settings, [&registry] { return new SettingsWindow(&registry); });
    registry.add<AboutWindow>(WindowKind::Help, [] { return new AboutWindow; });
}

} // namespace gravik
