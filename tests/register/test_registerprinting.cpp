#include "support/dialoganswers.h"
#include "support/programfolder.h"
#include "support/startprogram.h"

#include "core/cp1251.h"
#include "printdialog/printdialog.h"
#include "printing/capture.h"
#include "printing/classrig.h"
#include "register/registercsv.h"
#include "registerwindow/registerwindow.h"
#include "widgets/imagebutton.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

using namespace gravik;
using blanks::BlankNumber;

// Pages to the raw queues of the cups_server fixture, recorded in a real
// register file by the window and by gravik-print.
namespace {

void click(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
}

struct Run {
    int code = -1;
    QString out, err;
};

Run gravikPrint(const ProgramFolder &folder, const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(GRAVIK_PRINT_EXE), QStringList{"--dir", folder.path()} + args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The register of a program folder, read as the window would.
std::vector<blanks::Entry> entriesOf(const ProgramFolder &folder, QString *integrity = nullptr)
{
    blanks::Register reg(folder.file("data/register.sqlite"));
    if (!reg.use())
        return {};
    if (integrity)
        *integrity = reg.integrity();
    return reg.entries();
}

} // namespace

class RegisterPrintingTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(QFileInfo(captureDir("gravik-test")).isDir(), "the cups_server fixture has not run"); }
    void cleanup() { run("cupsaccept", {"gravik-test", "gravik-test2"}); }

    // The page as printed goes into the register; a refused one, the test
    // page and a PDF spend no blank.
    void thePrintDialog()
    {
        ProgramFolder folder;
        DialogAnswers answers;
        TestProgram program;
        QVERIFY(program.start());
        QVERIFY(program.blankRegister.use());
        QVERIFY(program.blankRegister.setNextBlank({"ЖОБ", "0012345"}, nullptr));
        const std::pair<const char *, const char *> typed[] = {
            {"Text1", "Абаева"}, {"Text2", "Айгерім"}, {"Text3", "Ерланқызы"}, {"Text12", "12-345"}};
        for (const auto &[box, text] : typed)
            program.main.box(box)->setText(QString::fromUtf8(text));
        click(program.main.button("Image5"));
        auto *dialog = program.registry.existing<PrintDialog>(WindowKind::Print);
        QCOMPARE(dialog->findChild<QLabel *>("Label4")->text(), QString("Бланк: ЖОБ 0012345"));

        run("cupsreject", {"gravik-test"});
        click(dialog->button("Image1"));
        QVERIFY(!dialog->lastOutcome().ok);
        QCOMPARE(program.blankRegister.count(), 0);
        run("cupsaccept", {"gravik-test"});

        dialog->show();
        click(dialog->button("Image8")); // the test page
        answers.files = {folder.file("page.pdf")};
        click(dialog->findChild<ImageButton *>("Image7"));
        QVERIFY(QFile::exists(folder.file("page.pdf")));
        QCOMPARE(program.blankRegister.count(), 0);

        click(dialog->button("Image1"));
        QVERIFY2(dialog->lastOutcome().ok, qPrintable(dialog->lastOutcome().error));
        QVERIFY(!waitForJob("gravik-test", dialog->lastOutcome().job).isEmpty());
        const auto e = program.blankRegister.entries();
        QCOMPARE(e.size(), size_t(1));
        QCOMPARE(e[0].blank.text(), QString("ЖОБ 0012345"));
        QCOMPARE(e[0].pupil.surname, QString("Абаева"));
        QCOMPARE(e[0].pupil.name, QString("Айгерім"));
        QCOMPARE(e[0].pupil.patronymic, QString("Ерланқызы"));
        QCOMPARE(e[0].pupil.registration, QString("12-345"));
        QCOMPARE(e[0].printer, QString("gravik-test"));
        QCOMPARE(e[0].job, dialog->lastOutcome().job);
        QCOMPARE(dialog->findChild<QLabel *>("Label4")->text(), QString("Бланк: ЖОБ 0012346"));
    }

    void theCommandLine()
    {
        ProgramFolder folder;
        const auto rows = classOf(4);
        folder.write("Baza.xml", databaseOf(rows));
        Run r = gravikPrint(folder, {"--all", "--printer", "gravik-test2"});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains("не задан следующий бланк") && r.err.contains("--blank"), qPrintable(r.err));
        QVERIFY(!QFile::exists(folder.file("data/register.sqlite")));
        QCOMPARE(gravikPrint(folder, {"--blank", "0012345", "--printer", "gravik-test2"}).code, 2);

        run("cupsreject", {"gravik-test2"});
        r = gravikPrint(folder, {"--all", "--printer", "gravik-test2", "--blank", "ЖОБ 0012345"});
        QCOMPARE(r.code, 3);
        QVERIFY(entriesOf(folder).empty());
        run("cupsaccept", {"gravik-test2"});

        r = gravikPrint(folder, {"--all", "--printer", "gravik-test2", "--blank", "ЖОБ 0012345"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const int job = QRegularExpression("задание (\\d+)").match(r.out).captured(1).toInt();
        QCOMPARE(r.out, QStringLiteral("Страниц: 4, принтер gravik-test2, задание %1, бланки ЖОБ 0012345–0012348\n").arg(job));
        QVERIFY(!waitForJob("gravik-test2", job).isEmpty());
        // Without --blank: the stored next one.
        r = gravikPrint(folder, {"--rows", "4-4", "--printer", "gravik-test2"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.out.endsWith(", бланк ЖОБ 0012349\n"), qPrintable(r.out));

        const auto entries = entriesOf(folder);
        QCOMPARE(entries.size(), size_t(5));
        for (size_t i = 0; i < 5; ++i) {
            const auto &row = rows[i < 4 ? i : 1];
            QCOMPARE(entries[i].blank, BlankNumber({"ЖОБ", QString::number(12345 + i).rightJustified(7, '0')}));
            QCOMPARE(entries[i].pupil.surname, row[0]);
            QCOMPARE(entries[i].pupil.registration, row[8]);
            QCOMPARE(entries[i].printer, QString("gravik-test2"));
        }
        QCOMPARE(entries[0].job, job);

        const QString csv = folder.file("register.csv");
        r = gravikPrint(folder, {"--register-csv", csv});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), blanks::csv(entries));
    }

    // Twenty gravik-print runs at once while the operator writes blanks off
    // in the window: every entry whole, no number twice, the file sound.
    void twentyRunsAndTheWindowAtOnce()
    {
        ProgramFolder folder;
        folder.setLine("1.txt", 1, cp1251::encode(u"Одновременов"));
        DialogAnswers answers;
        TestProgram program;
        QVERIFY(program.start());
        QVERIFY(program.blankRegister.use());
        QVERIFY(program.blankRegister.setNextBlank({"ЖОБ", "0000001"}, nullptr));
        click(program.main.findChild<ImageButton *>("Image25"));
        auto *window = program.registry.existing<RegisterWindow>(WindowKind::Register);
        QVERIFY(window);

        std::vector<std::unique_ptr<QProcess>> runs;
        for (int i = 0; i < 20; ++i) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->start(QStringLiteral(GRAVIK_PRINT_EXE), {"--dir", folder.path(), "--printer", "gravik-test2"});
        }
        int writtenOff = 0;
        auto running = [&] {
            return std::any_of(runs.begin(), runs.end(), [](const auto &p) { return p->state() != QProcess::NotRunning; });
        };
        QElapsedTimer t;
        t.start();
        while (running() && t.elapsed() < 180000) {
            answers.texts = {QStringLiteral("ОКН %1").arg(++writtenOff), "испорчен при проверке"};
            click(window->findChild<QPushButton *>("WriteOff"));
            QTest::qWait(20);
        }
        QStringList said;
        for (auto &p : runs) {
            QVERIFY(p->state() == QProcess::NotRunning || p->waitForFinished(60000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
            said << QString::fromUtf8(p->readAllStandardOutput()).trimmed();
        }
        QCOMPARE(answers.messages, QStringList()); // the window was never refused

        QString integrity;
        const auto entries = entriesOf(folder, &integrity);
        QCOMPARE(integrity, QString("ok"));
        QCOMPARE(int(entries.size()), 20 + writtenOff);
        QSet<QString> printed;
        for (const blanks::Entry &e : entries) {
            if (e.blank.series == "ОКН") {
                QCOMPARE(e.state, blanks::State::WrittenOff);
                QCOMPARE(e.reason, QString("испорчен при проверке"));
                continue;
            }
            QCOMPARE(e.pupil.surname, QString("Одновременов"));
            QCOMPARE(e.printer, QString("gravik-test2"));
            QVERIFY(e.job > 0);
            // Each run named the blank it took.
            QVERIFY2(said.contains(QStringLiteral("Страниц: 1, принтер gravik-test2, задание %1, бланк %2")
                                       .arg(e.job)
                                       .arg(e.blank.text())),
                     qPrintable(said.join('\n')));
            printed << e.blank.text();
        }
        QCOMPARE(printed.size(), 20);
        for (int n = 1; n <= 20; ++n)
            QVERIFY(printed.contains(QStringLiteral("ЖОБ %1").arg(n, 7, 10, QChar('0'))));
    }

    // Killed at any moment of a class print: the register is sound and holds
    // the whole class or none of it.
    void killedDuringAClassPrint()
    {
        ProgramFolder folder;
        folder.write("Baza.xml", databaseOf(classOf(30)));
        QVERIFY(gravikPrint(folder, {"--rows", "3-3", "--printer", "gravik-test2", "--blank", "ЖОБ 0000001"}).code == 0);
        for (int delay = 100; delay <= 1600; delay += 150) {
            QProcess p;
            p.start(QStringLiteral(GRAVIK_PRINT_EXE), {"--dir", folder.path(), "--all", "--printer", "gravik-test2"});
            QVERIFY(p.waitForStarted());
            QTest::qWait(delay);
            p.kill(); // SIGKILL
            p.waitForFinished();
            QString integrity;
            const auto entries = entriesOf(folder, &integrity);
            QCOMPARE(integrity, QString("ok"));
            QMap<int, int> perJob;
            for (const blanks::Entry &e : entries)
                ++perJob[e.job];
            for (auto it = perJob.begin(); it != perJob.end(); ++it)
                QVERIFY2(it.value() == 1 || it.value() == 30,
                         qPrintable(QStringLiteral("job %1: %2 entries").arg(it.key()).arg(it.value())));
        }
    }
};

QTEST_MAIN(RegisterPrintingTest)
#include "test_registerprinting.moc"
