#include "capture.h"
#include "classrig.h"
#include "pdfwords.h"
#include "printing/cups.h"
#include "printing/printjob.h"
#include "printing/defaultprinter.h"
#include "printrig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

using namespace gravik;

// Against the CUPS server of the cups_server fixture: raw queues gravik-test
// (the default) and gravik-test2 whose capture backend keeps every document.
namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
}

// Adds a queue of this test on the capture backend, driven by a PPD of
// tests/printing/cups; "" when it is there, else what lpadmin said.
QString addQueue(const QString &name, const QString &ppd)
{
    const QString dir = captureDir(name);
    QDir().mkpath(dir);
    run("chmod", {"1777", dir});
    const QString said = run("lpadmin", {"-p", name, "-E", "-v", "capture:" + dir, "-P",
                                         QStringLiteral(GRAVIK_SOURCE_DIR "/tests/printing/cups/") + ppd});
    return printers::names().contains(name) ? QString() : said;
}

QString sidecar(const QString &pdfPath, const char *suffix)
{
    QFile f(QString(pdfPath).replace(QStringLiteral(".pdf"), QString::fromLatin1(suffix)));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
}

void checkField(const PdfText &pdf, int n, const QString &text, double x, double y)
{
    const CertificateField &f = certificateField(n);
    const bool centred = f.box == CertificateField::Box::Centred;
    const double wantX = twipsToPoints(centred ? x + f.width / 2.0 : x);
    const auto w = pdf.find(text, twipsToPoints(x));
    QVERIFY2(w, qPrintable(QStringLiteral("field %1 (%2) is not on the page").arg(n).arg(text)));
    const double gotX = centred ? w->centreX() : w->xMin;
    QVERIFY2(std::abs(gotX - wantX) <= kHalfMillimetre,
             qPrintable(QStringLiteral("field %1: x %2 pt, expected %3").arg(n).arg(gotX).arg(wantX)));
    QVERIFY2(std::abs(w->yMin - twipsToPoints(y)) <= kHalfMillimetre,
             qPrintable(QStringLiteral("field %1: top %2 pt, expected %3").arg(n).arg(w->yMin).arg(twipsToPoints(y))));
}

} // namespace

class CupsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(captureDir("gravik-test")).isDir(), "the cups_server fixture has not run");
        QCOMPARE(printers::defaultPrinter(), QString("gravik-test"));
    }
    void cleanupTestCase()
    {
        for (const char *q : {"gravik-test-margins", "gravik-test-letter"})
            run("lpadmin", {"-x", q});
    }
    void cleanup()
    {
        QString error;
        QVERIFY2(printers::setDefaultPrinter("gravik-test", &error), qPrintable(error));
        run("cupsaccept", {"gravik-test", "gravik-test2"});
    }

    void theSystemsPrintersAndItsDefault()
    {
        const QStringList names = printers::names();
        QVERIFY2(names.contains("gravik-test") && names.contains("gravik-test2"), qPrintable(names.join(", ")));
        QCOMPARE(printers::defaultPrinter(), QString("gravik-test"));
    }

    void anotherPrinterBecomesTheDefault()
    {
        QString error;
        QVERIFY2(printers::setDefaultPrinter("gravik-test2", &error), qPrintable(error));
        QCOMPARE(printers::defaultPrinter(), QString("gravik-test2"));
        // The command-line tools see the same default.
        QCOMPARE(run("lpstat", {"-d"}), QString("system default destination: gravik-test2"));

        QVERIFY(!printers::setDefaultPrinter("no-such-printer", &error));
        QVERIFY2(error.contains("no-such-printer"), qPrintable(error));
        QCOMPARE(printers::defaultPrinter(), QString("gravik-test2"));
        QVERIFY(!printers::setDefaultPrinter("", &error));
    }

    void theJobArrivesAsSentWithItsOptions()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("page.pdf");
        QString error;
        auto fields = std::vector<page::FieldContent>{{1, "Проба", 2040, 3600, QFont("Times New Roman"), Qt::black}};
        QVERIFY2(page::writePdf(path, {page::a4Layout(), 1200}, fields, &error), qPrintable(error));
        const int job = printing::submitPdf("gravik-test2", path, "Аттестат: проба", &error);
        QVERIFY2(job > 0, qPrintable(error));
        const QString kept = waitForJob("gravik-test2", job);
        QVERIFY2(!kept.isEmpty(), "the job did not reach the queue");
        QFile sent(path), got(kept);
        QVERIFY(sent.open(QIODevice::ReadOnly) && got.open(QIODevice::ReadOnly));
        QCOMPARE(got.readAll(), sent.readAll());
        QCOMPARE(sidecar(kept, ".title"), QString("Аттестат: проба"));
        const QStringList options = sidecar(kept, ".options").split(' ');
        QVERIFY2(options.contains("print-scaling=none"), qPrintable(options.join(' ')));
        QVERIFY2(options.contains("media=A4") || options.contains("media=iso_a4_210x297mm"),
                 qPrintable(options.join(' ')));
    }

    void aClassIsOneJobOfItsPages()
    {
        const Certificate base = classBase();
        const auto pupils = classOf(3);
        const printing::Outcome out = printing::printPages({}, 3, pupils::classPages(base, pupils), "Аттестаты: 3");
        QVERIFY2(out.ok, qPrintable(out.error));
        QCOMPARE(out.printer, QString("gravik-test"));
        const QString kept = waitForJob("gravik-test", out.job);
        QVERIFY2(!kept.isEmpty(), "the job did not reach the queue");
        QCOMPARE(sidecar(kept, ".title"), QString("Аттестаты: 3"));
        const QStringList options = sidecar(kept, ".options").split(' ');
        QVERIFY2(options.contains("print-scaling=none"), qPrintable(options.join(' ')));
        checkClassPdf(kept, base, pupils);
    }

    void aQueueThatRefusesJobsIsReported()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("page.pdf");
        QString error;
        QVERIFY(page::writePdf(path, {page::a4Layout(), 1200}, {}, &error));
        run("cupsreject", {"gravik-test2"});
        QCOMPARE(printing::submitPdf("gravik-test2", path, "отказ", &error), 0);
        QVERIFY(!error.isEmpty());
        QVERIFY(!printing::submitPdf("no-such-printer", path, "нет", &error));
        QVERIFY(!error.isEmpty());
    }

    void aRefusedJobThroughTheDialogIsReported()
    {
        run("cupsreject", {"gravik-test"});
        PrintRig rig;
        PrintDialog *d = rig.openDialog();
        rig.print();
        QVERIFY(!d->lastOutcome().ok);
        QVERIFY(!d->isVisible());
        QVERIFY(rig.main->panel()->isVisible());
        QMessageBox *box = PrintRig::message();
        QVERIFY(box);
        QVERIFY2(box->text().startsWith("Страница не напечатана на принтере «gravik-test»: "),
                 qPrintable(box->text()));
        // The print system's own reason follows, ended once.
        QVERIFY(box->text().size() > 50);
        QVERIFY(!box->text().endsWith(".."));
    }

    // A driver that reports unprintable edges: the page starts at the corner
    // of the area the printer reaches, and is drawn at its resolution.
    void aPrintersOwnMarginsPlaceTheOrigin()
    {
        const QString added = addQueue("gravik-test-margins", "margins-a4.ppd");
        QVERIFY2(added.isEmpty(), qPrintable(added));
        QString error;
        QVERIFY2(printers::setDefaultPrinter("gravik-test-margins", &error), qPrintable(error));
        QString name;
        const auto setup = printing::defaultPrinterSetup(&name, &error);
        QVERIFY2(setup, qPrintable(error));
        QCOMPARE(name, QString("gravik-test-margins"));
        QCOMPARE(setup->resolution, 600);
        const QMarginsF m = setup->layout.margins(QPageLayout::Point);
        QVERIFY2(std::abs(m.left() - 14) < 0.5 && std::abs(m.top() - 28) < 0.5,
                 qPrintable(QString("margins %1 %2").arg(m.left()).arg(m.top())));

        PrintRig rig;
        rig.type("Text1", "Полевой");
        rig.type("Text5", "Краевая");
        rig.type("Text12", "М-14");
        PrintDialog *d = rig.openDialog();
        rig.print();
        QVERIFY2(d->lastOutcome().ok, qPrintable(d->lastOutcome().error));
        const QString kept = waitForJob("gravik-test-margins", d->lastOutcome().job);
        QVERIFY2(!kept.isEmpty(), "the job did not reach the queue");
        const PdfText pdf = PdfText::read(kept);
        QCOMPARE(pdf.pages.size(), size_t(1));
        const CoordinateTable &table = rig.main->coordinates();
        const std::pair<int, const char *> fields[] = {{1, "Полевой"}, {9, "Краевая"}, {33, "М-14"}};
        for (const auto &[n, text] : fields) {
            // 14 pt = 280 twips from the left edge, 28 pt = 560 twips from the top.
            checkField(pdf, n, text, *table.number(CoordinateTable::xEntry(n)) + 280,
                       *table.number(CoordinateTable::yEntry(n)) + 560);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void aPrinterWithoutA4TakesTheFailurePath()
    {
        const QString added = addQueue("gravik-test-letter", "letter-only.ppd");
        QVERIFY2(added.isEmpty(), qPrintable(added));
        QString error;
        QVERIFY2(printers::setDefaultPrinter("gravik-test-letter", &error), qPrintable(error));
        const QStringList before = QDir(captureDir("gravik-test-letter")).entryList(QDir::Files);
        PrintRig rig;
        rig.main->closePanel();
        PrintDialog *d = rig.openDialog();
        rig.print();
        QVERIFY(!d->isVisible());
        QVERIFY(rig.main->panel()->isVisible());
        QMessageBox *box = PrintRig::message();
        QVERIFY(box);
        QCOMPARE(box->text(),
                 QString("Страница не напечатана на принтере «gravik-test-letter»: принтер не печатает на листах A4."));
        QTest::qWait(300);
        QCOMPARE(QDir(captureDir("gravik-test-letter")).entryList(QDir::Files), before); // no job went out
    }

    void throughTheDialogToTheDefaultPrinter()
    {
        PrintRig rig;
        QVERIFY(rig.started);
        rig.type("Text1", "Печатнов");
        rig.type("Text2", "Пётр");
        rig.type("Text3", "Петрович");
        rig.type("Text5", "Директорова");
        rig.type("Text12", "Ж-2077");
        rig.main->closePanel();
        rig.main->selectField(9); // red on screen, not on paper
        PrintDialog *d = rig.openDialog();
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->nameLabel()->text(), QString("Печатнов Пётр Петрович"));

        std::vector<int> jobs;
        for (int round = 0; round < 2; ++round) {
            rig.print();
            const printing::Outcome &o = d->lastOutcome();
            QVERIFY2(o.ok, qPrintable(o.error));
            QCOMPARE(o.printer, QString("gravik-test"));
            QVERIFY(d->isVisible());
            QVERIFY(rig.main->panel()->isVisible());
            QVERIFY(!rig.anyFieldRed());
            QVERIFY(!PrintRig::message());
            jobs.push_back(o.job);
        }
        QVERIFY(jobs[0] != jobs[1]); // two jobs of their own

        const CoordinateTable &table = rig.main->coordinates();
        auto at = [&](int n) {
            return std::pair(*table.number(CoordinateTable::xEntry(n)), *table.number(CoordinateTable::yEntry(n)));
        };
        for (int job : jobs) {
            const QString kept = waitForJob("gravik-test", job);
            QVERIFY2(!kept.isEmpty(), qPrintable(QString("job %1 did not reach the queue").arg(job)));
            QCOMPARE(sidecar(kept, ".title"), QString("Аттестат: Печатнов Пётр Петрович"));
            const PdfText pdf = PdfText::read(kept);
            QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));
            QCOMPARE(pdf.pages.size(), size_t(1));
            QCOMPARE(qRound(pdf.pages[0].width()), 595);
            QCOMPARE(qRound(pdf.pages[0].height()), 842);
            checkField(pdf, 1, "Печатнов", at(1).first, at(1).second);
            checkField(pdf, 9, "Директорова", at(9).first, at(9).second);
            checkField(pdf, 33, "Ж-2077", at(33).first, at(33).second);
            // Only the fields: no caption, button or list text of the panel.
            QStringList expected;
            for (const page::FieldContent &c : page::contents(rig.main->document().certificate()))
                if (!c.text.isEmpty())
                    expected << c.text.split(' ', Qt::SkipEmptyParts);
            for (const QString &word : pdf.texts())
                QVERIFY2(expected.contains(word), qPrintable("not a field's text: " + word));
            QVERIFY(!pdf.texts().contains("Шрифт"));
        }
    }

    void keysAlonePrintAPageAndCloseTheDialog()
    {
        PrintRig rig;
        QVERIFY(rig.started);
        rig.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.main.get()));
        rig.type("Text1", "Клавишин");
        QLineEdit *box = rig.main->box("Text12");
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
        PrintDialog *d = rig.dialog();
        QVERIFY(d && d->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(d));
        QCOMPARE(d->nameLabel()->text(), QString("Клавишин  "));
        ImageButton *print = d->button("Image1");
        QCOMPARE(print->toolTipShown(), print->toolTip() + " (Enter)");
        QCOMPARE(d->button("Image4")->toolTipShown(), d->button("Image4")->toolTip() + " (Esc)");

        // Tab goes round the two pictures.
        QCOMPARE(QApplication::focusWidget(), print);
        QTest::keyClick(print, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d->button("Image4"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), print);
        QTest::keyClick(print, Qt::Key_Return);
        const printing::Outcome &o = d->lastOutcome();
        QVERIFY2(o.ok, qPrintable(o.error));
        const QString kept = waitForJob("gravik-test", o.job);
        QVERIFY2(!kept.isEmpty(), "the job did not reach the queue");
        const PdfText pdf = PdfText::read(kept);
        QCOMPARE(pdf.pages.size(), size_t(1));
        QVERIFY(pdf.texts().contains("Клавишин"));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!d->isVisible());
        QCOMPARE(rig.dialog(), d); // hidden as Cancel hides it, not destroyed
    }
};

QTEST_MAIN(CupsTest)
#include "test_cups.moc"
