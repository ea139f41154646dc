#include "printdialog/calibration.h"

#include "language/outputcaptions.h"
#include "printdialog/printdialog.h"
#include "printing/defaultprinter.h"
#include "printing/pageoutput.h"
#include "widgets/dialogs.h"
#include "widgets/hoverrouter.h"
#include "widgets/imagebutton.h"
#include "widgets/notices.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace gravik {

namespace {

using i18n::OutputCaption;

QDoubleSpinBox *millimetreBox(QWidget *parent, const char *name)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(-PrinterOffset::Limit / 10.0, PrinterOffset::Limit / 10.0);
    box->setDecimals(1);
    box->setSingleStep(0.1);
    return box;
}

// The queues of this machine's printers, an instance counting as its queue.
QStringList queues()
{
    QStringList out;
    for (const QString &name : printers::names())
        if (const QString q = name.section(QLatin1Char('/'), 0, 0); !out.contains(q))
            out << q;
    return out;
}

} // namespace

PrinterOffsetWindow::PrinterOffsetWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PrinterOffset"));
    m_printer = new QComboBox(this);
    m_printer->setObjectName(QStringLiteral("Combo1"));
    m_x = millimetreBox(this, "Text1");
    m_y = millimetreBox(this, "Text2");
    m_printerLabel = new QLabel(this);
    m_xLabel = new QLabel(this);
    m_yLabel = new QLabel(this);
    auto *form = new QFormLayout;
    form->addRow(m_printerLabel, m_printer);
    form->addRow(m_xLabel, m_x);
    form->addRow(m_yLabel, m_y);
    auto *buttons = new QDialogButtonBox(this);
    m_save = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    m_save->setObjectName(QStringLiteral("Save"));
    m_cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_printer, &QComboBox::currentTextChanged, this, &PrinterOffsetWindow::showPrinter);
    connect(m_x, &QDoubleSpinBox::valueChanged, this, &PrinterOffsetWindow::keepEdit);
    connect(m_y, &QDoubleSpinBox::valueChanged, this, &PrinterOffsetWindow::keepEdit);
    connect(m_save, &QPushButton::clicked, this, [this] {
        if (save())
            hide();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::hide);
    applyLanguage(LanguageCode::Russian);
}

void PrinterOffsetWindow::reload()
{
    m_offsets = printeroffsets::current();
    const QSignalBlocker quiet(m_printer);
    m_printer->clear();
    m_printer->addItems(queues());
    const int def = m_printer->findText(printers::defaultPrinter().section(QLatin1Char('/'), 0, 0));
    m_printer->setCurrentIndex(def >= 0 ? def : 0);
    m_save->setEnabled(m_printer->count() > 0);
    showPrinter();
}

void PrinterOffsetWindow::applyLanguage(const QString &code)
{
    auto caption = [&code](OutputCaption c) { return i18n::outputCaption(c, code); };
    setWindowTitle(caption(OutputCaption::PrinterOffset));
    m_printerLabel->setText(caption(OutputCaption::OffsetPrinter));
    m_xLabel->setText(caption(OutputCaption::OffsetRight));
    m_yLabel->setText(caption(OutputCaption::OffsetDown));
    m_save->setText(caption(OutputCaption::Save));
    m_cancel->setText(caption(OutputCaption::Cancel));
}

void PrinterOffsetWindow::showPrinter()
{
    const PrinterOffset o = m_offsets.find(m_printer->currentText()).value_or(PrinterOffset{});
    m_showing = true;
    m_x->setValue(o.xTenths / 10.0);
    m_y->setValue(o.yTenths / 10.0);
    m_showing = false;
}

// An edit is kept for its printer, so going to another and back loses nothing.
void PrinterOffsetWindow::keepEdit()
{
    const QString queue = m_printer->currentText();
    if (m_showing || queue.isEmpty())
        return;
    const PrinterOffset o{qRound(m_x->value() * 10), qRound(m_y->value() * 10)};
    if (m_offsets.find(queue).value_or(PrinterOffset{}) != o)
        m_offsets.set(queue, o);
}

bool PrinterOffsetWindow::save()
{
    QString error;
    if (m_offsets.write(printeroffsets::path(), &error))
        return true;
    notices::warning(this, error);
    return false;
}

void attachCalibration(PrintDialog &dialog)
{
    auto *test = new ImageButton(QStringLiteral("Image8"), QStringLiteral("testpage"), &dialog);
    test->placeAt(3240, 1440);
    auto *offset = new ImageButton(QStringLiteral("Image9"), QStringLiteral("offset"), &dialog);
    offset->placeAt(2400, 1440);
    using Pic = HoverRule::Picture;
    auto over = [](const char *name) {
        std::vector<std::pair<QString, Pic>> effects;
        for (const char *b : {"Image1", "Image4", "Image7", "Image8", "Image9"})
            if (qstrcmp(b, name) != 0)
                effects.emplace_back(QString::fromLatin1(b), Pic::Normal);
        effects.emplace_back(QString::fromLatin1(name), Pic::Highlighted);
        return HoverRule{QString::fromLatin1(name), effects};
    };
    new HoverRouter(&dialog, {over("Image8"), over("Image9"),
                              {"Image1", {{"Image8", Pic::Normal}, {"Image9", Pic::Normal}}},
                              {"Image4", {{"Image8", Pic::Normal}, {"Image9", Pic::Normal}}},
                              {"Image7", {{"Image8", Pic::Normal}, {"Image9", Pic::Normal}}},
                              {"Print1", {{"Image8", Pic::Normal}, {"Image9", Pic::Normal}}}});

    // Tab goes from Print and Cancel along the row, left to right.
    QWidget *row[] = {dialog.button(QStringLiteral("Image4")), offset, test, dialog.button(QStringLiteral("Image7"))};
    for (size_t i = 0; i + 1 < std::size(row) && row[i] && row[i + 1]; ++i)
        QWidget::setTabOrder(row[i], row[i + 1]);

    auto captions = [test, offset, &dialog](const QString &code) {
        test->setToolTip(i18n::outputCaption(OutputCaption::TestPageTip, code));
        offset->setToolTip(i18n::outputCaption(OutputCaption::PrinterOffset, code));
        if (auto *w = dialog.findChild<PrinterOffsetWindow *>())
            w->applyLanguage(code);
    };
    captions(dialog.languageCode().shown());
    QObject::connect(&dialog.languageCode(), &LanguageCode::shownChanged, test, captions);

    QObject::connect(offset, &ImageButton::clicked, &dialog, [&dialog] {
        auto *w = dialog.findChild<PrinterOffsetWindow *>();
        if (!w) {
            w = new PrinterOffsetWindow(&dialog);
            w->applyLanguage(dialog.languageCode().shown());
        }
        w->reload();
        w->show();
        w->raise();
        w->activateWindow();
    });
    QObject::connect(test, &ImageButton::clicked, &dialog, [&dialog] {
        // The button sits beside Print: a blank in the tray would be spent.
        const QString code = dialog.languageCode().shown();
        if (!Dialogs::current().question(&dialog, dialog.windowTitle(),
                                         i18n::outputCaption(OutputCaption::PlainPaper, code),
                                         i18n::outputCaption(OutputCaption::Print, code),
                                         i18n::outputCaption(OutputCaption::Cancel, code)))
            return;
        const printing::Outcome out = printing::printTestPageOnDefaultPrinter(
            page::contents(dialog.document().certificate()), QStringLiteral("Пробная страница"));
        if (!out.ok)
            dialog.reportFailure(out);
    });
}

} // namespace gravik
