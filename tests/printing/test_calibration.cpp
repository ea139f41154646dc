#include "capture.h"
#include "classrig.h"
#include "core/cp1251.h"
#include "language/outputcaptions.h"
#include "printdialog/calibration.h"
#include "printdialog/pdfentry.h"
#include "printrig.h"
#include "support/dialoganswers.h"
#include "support/operator.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

using namespace gravik;

// A printer's own offset and the test page, through the dialog, against the
// cups_server fixture (gravik-test the default printer, gravik-test2).
namespace {

constexpr double kPtPerMm = 72.0 / 25.4;
constexpr double kDpi = 150; // the pages are looked at as pictures at this resolution

// The page as a grey picture (pdftoppm, poppler-utils), made in dir.
QImage picture(const QString &pdf, const QTemporaryDir &dir)
{
    const QString stem = dir.filePath(QFileInfo(pdf).baseName());
    QProcess::execute(QStringLiteral("pdftoppm"), {"-r", QString::number(kDpi), "-gray", "-singlefile", pdf, stem});
    return QImage(stem + QStringLiteral(".pgm"));
}

// Ink within a pixel of the point (points from the sheet's corner).
bool inkAt(const QImage &img, double xPt, double yPt)
{
    const int cx = qRound(xPt / 72 * kDpi), cy = qRound(yPt / 72 * kDpi);
    for (int y = cy - 1; y <= cy + 1; ++y)
        for (int x = cx - 1; x <= cx + 1; ++x)
            if (img.valid(x, y) && qGray(img.pixel(x, y)) < 128)
                return true;
    return false;
}

// The job a click on the dialog sent: the one new document of the queue.
QString newJob(const QString &queue, const QStringList &before)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 30000) {
        for (const QString &f : QDir(captureDir(queue)).entryList({"job-*.pdf"}, QDir::Files))
            if (!before.contains(f))
                return captureDir(queue) + '/' + f;
        QTest::qWait(50);
    }
    return {};
}
QStringList jobs(const QString &queue) { return QDir(captureDir(queue)).entryList({"job-*.pdf"}, QDir::Files); }

// Types into a box as the operator does: a click, all selected, the keys.
void typeInto(QWidget *box, const QString &text)
{
    QWidget *focus = clickIntoText(box);
    QVERIFY(focus);
    QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(focus, text);
}

// Picks an entry as the operator does: the list opened by a click, the
// arrow keys to the entry, Enter.
void choose(QComboBox *box, const QString &text)
{
    const int steps = box->findText(text) - box->currentIndex();
    QVERIFY(box->findText(text) >= 0);
    QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
    QWidget *list = QApplication::focusWidget();
    QVERIFY(list && list != box);
    for (int i = 0; i < std::abs(steps); ++i)
        QTest::keyClick(list, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(box->currentText(), text);
}

} // namespace

class CalibrationTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<PrintRig> rig;
    DialogAnswers answers;
    QStringList told; // bad lines of data/printers.txt

    PrintDialog *openDialog() { return rig->openDialog(); }

    // The offset window, opened by its button on the dialog.
    PrinterOffsetWindow *openOffsets()
    {
        PrintRig::click(openDialog()->button("Image9"));
        auto *w = rig->dialog()->findChild<PrinterOffsetWindow *>();
        return w && w->isVisible() && QTest::qWaitForWindowActive(w) ? w : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(captureDir("gravik-test")).isDir(), "the cups_server fixture has not run");
        printeroffsets::setReporter([this](const QString &m) { told << m; });
    }
    void init()
    {
        told.clear();
        answers.messages.clear();
        answers.asked.clear();
        rig = std::make_unique<PrintRig>();
        // The dialog's entries, attached as the program attaches them when it is made.
        connect(&rig->registry, &WindowRegistry::registered, this, [this](WindowKind kind, QWidget *w) {
            if (auto *d = kind == WindowKind::Print ? qobject_cast<PrintDialog *>(w) : nullptr) {
                attachPdfEntry(*d);
                attachCalibration(*d);
            }
        });
        QVERIFY(rig->started);
        QVERIFY(!QFile::exists(printeroffsets::path()));
    }
    void cleanup() { rig.reset(); }

    // 5.0, -3.0 mm set in the window: the printed page's field 1 moves by
    // exactly that, the PDF saved beside it not at all, and the test page
    // outlines the boxes where the page puts the fields.
    void theOffsetMovesThePrintedPageOnly()
    {
        rig->type("Text1", "Смещаев");
        rig->type("Text12", "К-5");
        PrinterOffsetWindow *w = openOffsets();
        QVERIFY(w);
        QCOMPARE(w->printerBox()->currentText(), QString("gravik-test")); // the default printer first
        QCOMPARE(w->xBox()->value(), 0.0);
        typeInto(w->xBox(), "5.0");
        typeInto(w->yBox(), "-3.0");
        PrintRig::click(w->saveButton());
        QVERIFY(!w->isVisible());
        QCOMPARE(rig->folder.read("data/printers.txt"), QByteArray("gravik-test\t5.0\t-3.0\r\n"));

        QTemporaryDir dir;
        const QStringList before = jobs("gravik-test");
        rig->print();
        QVERIFY2(rig->dialog()->lastOutcome().ok, qPrintable(rig->dialog()->lastOutcome().error));
        const QString printed = waitForJob("gravik-test", rig->dialog()->lastOutcome().job);
        QVERIFY(!printed.isEmpty());

        const QString saved = dir.filePath("saved.pdf");
        answers.files << saved;
        PrintRig::click(rig->dialog()->button("Image7"));
        QCOMPARE(answers.messages.value(0).left(24), QString("Аттестат сохранён в файл"));

        // The test page asks for plain paper first; a "no" prints nothing.
        const QStringList withPage = jobs("gravik-test");
        answers.answer = false;
        PrintRig::click(rig->dialog()->button("Image8"));
        QCOMPARE(answers.asked.size(), 1);
        QVERIFY(answers.asked.at(0).contains(QString::fromUtf8("на простой бумаге")));
        answers.answer = true;
        PrintRig::click(rig->dialog()->button("Image8"));
        QCOMPARE(answers.asked.size(), 2);
        const QString test = newJob("gravik-test", withPage);
        QVERIFY2(!test.isEmpty(), "the test page did not reach the queue");
        QCOMPARE(jobs("gravik-test").size(), withPage.size() + 1);
        QVERIFY(!before.contains(QFileInfo(test).fileName()));

        const CoordinateTable &table = rig->main->coordinates();
        auto at = [&](int n) {
            return QPointF(*table.number(CoordinateTable::xEntry(n)), *table.number(CoordinateTable::yEntry(n))) / 20;
        };
        const PdfText onPaper = PdfText::read(printed), inFile = PdfText::read(saved);
        QVERIFY2(onPaper.error.isEmpty() && inFile.error.isEmpty(), qPrintable(onPaper.error + inFile.error));
        checkFieldOnPage(inFile, 0, 1, "Смещаев", at(1).x() * 20, at(1).y() * 20); // the file: where the table says
        const auto a = onPaper.find("Смещаев"), b = inFile.find("Смещаев");
        QVERIFY(a && b);
        QVERIFY2(std::abs(a->xMin - b->xMin - 5 * kPtPerMm) < 0.01 && std::abs(a->yMin - b->yMin + 3 * kPtPerMm) < 0.01,
                 qPrintable(QString("moved by %1, %2 pt").arg(a->xMin - b->xMin).arg(a->yMin - b->yMin)));

        // The test page: at each field's top-left corner (moved as the page is)
        // a crosshair arm and the box's left edge; at a centred box's right
        // edge its line. None of it on the certificate itself.
        const QImage page = picture(test, dir), certificate = picture(printed, dir);
        QVERIFY(!page.isNull() && !certificate.isNull());
        const QPointF offset(5 * kPtPerMm, -3 * kPtPerMm);
        for (const CertificateField &f : certificateFields()) {
            const QPointF corner = at(f.number) + offset;
            const double middle = corner.y() + f.height / 40.0;
            std::vector<QPointF> marks = {{corner.x() - kPtPerMm, corner.y()}, {corner.x(), middle}};
            if (f.box == CertificateField::Box::Centred)
                marks.emplace_back(corner.x() + f.width / 20.0, middle);
            for (const QPointF &m : marks) {
                QVERIFY2(inkAt(page, m.x(), m.y()),
                         qPrintable(QString("field %1: no line at (%2, %3) pt").arg(f.number).arg(m.x()).arg(m.y())));
                if (f.number != 1 && f.number != 16 && f.number != 33) // the fields with text
                    QVERIFY2(!inkAt(certificate, m.x(), m.y()), qPrintable(QString("field %1 outlined on the certificate").arg(f.number)));
            }
        }
        // The ruler stays at the printable area's edge: its 10 mm tick.
        QVERIFY(inkAt(page, 10 * kPtPerMm, 2 * kPtPerMm));
        QVERIFY(!inkAt(page, 10.5 * kPtPerMm, 2 * kPtPerMm));
        QVERIFY2(told.isEmpty(), qPrintable(told.join('\n')));
    }

    // Tab goes from Print and Cancel along the row of pictures, left to right.
    void tabGoesAlongTheRow()
    {
        PrintDialog *d = openDialog();
        QVERIFY(d && QTest::qWaitForWindowActive(d));
        QCOMPARE(QApplication::focusWidget(), d->button("Image1"));
        QStringList seen;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(seen, QStringList({"Image4", "Image9", "Image8", "Image7", "Image1"}));
    }

    // gravik-print --printer takes that printer's offset; its --pdf does not.
    void theCommandLineTakesThePrintersOffset()
    {
        rig->folder.write("data/printers.txt", "gravik-test\t9.9\t9.9\r\ngravik-test2\t-1.5\t2.0\r\n");
        rig->folder.setLine("1.txt", 1, cp1251::encode(u"Консольев"));
        QTemporaryDir dir;
        auto run = [&](const QStringList &args) {
            QProcess p;
            p.start(QStringLiteral(GRAVIK_PRINT_EXE), QStringList{"--dir", rig->folder.path()} + args);
            p.waitForFinished(60000);
            return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        };
        const QString said = run({"--printer", "gravik-test2", "--blank", "ЖОБ 0000001"});
        const int job = QRegularExpression(QStringLiteral("задание (\\d+)")).match(said).captured(1).toInt();
        QVERIFY2(job > 0, qPrintable(said));
        const QString printed = waitForJob("gravik-test2", job);
        QVERIFY(!printed.isEmpty());
        const QString saved = dir.filePath("saved.pdf");
        run({"--pdf", saved});
        const auto a = PdfText::read(printed).find("Консольев"), b = PdfText::read(saved).find("Консольев");
        QVERIFY2(a && b, qPrintable(said));
        QVERIFY2(std::abs(a->xMin - b->xMin + 1.5 * kPtPerMm) < 0.01 && std::abs(a->yMin - b->yMin - 2 * kPtPerMm) < 0.01,
                 qPrintable(QString("moved by %1, %2 pt").arg(a->xMin - b->xMin).arg(a->yMin - b->yMin)));
    }

    // The window keeps each printer's edit until saved; Cancel writes nothing;
    // its captions and the buttons' follow the dialog's language.
    void theWindowFollowsPrinterAndLanguage()
    {
        rig->folder.write("data/printers.txt", "Elsewhere\t1.0\t1.0\r\ngravik-test2\t0.5\t0.0\r\n");
        PrinterOffsetWindow *w = openOffsets();
        QVERIFY(w);
        QComboBox *printers = w->printerBox();
        QVERIFY(printers->findText("gravik-test2") >= 0);
        QCOMPARE(printers->findText("Elsewhere"), -1); // not a printer of this machine
        choose(printers, "gravik-test2");
        QCOMPARE(w->xBox()->value(), 0.5);
        typeInto(w->yBox(), "-20.5"); // beyond the limit: held at it
        QCOMPARE(w->yBox()->value(), -20.0);
        choose(printers, "gravik-test");
        QCOMPARE(w->yBox()->value(), 0.0);
        choose(printers, "gravik-test2");
        QCOMPARE(w->yBox()->value(), -20.0);
        PrintRig::click(w->cancelButton());
        QCOMPARE(rig->folder.read("data/printers.txt"), QByteArray("Elsewhere\t1.0\t1.0\r\ngravik-test2\t0.5\t0.0\r\n"));

        PrintDialog *d = rig->dialog();
        using i18n::OutputCaption;
        d->languageCode().setText(LanguageCode::Kazakh);
        QCOMPARE(d->button("Image8")->toolTip(), i18n::outputCaption(OutputCaption::TestPageTip, LanguageCode::Kazakh));
        QCOMPARE(w->windowTitle(), QString("Принтердің ығысуы"));
        QCOMPARE(w->saveButton()->text(), QString("Сақтау"));
        d->languageCode().setText(LanguageCode::Russian);
        QCOMPARE(d->button("Image9")->toolTip(), QString("Смещение принтера"));
        QCOMPARE(w->windowTitle(), QString("Смещение принтера"));
    }
};

QTEST_MAIN(CalibrationTest)
#include "test_calibration.moc"
