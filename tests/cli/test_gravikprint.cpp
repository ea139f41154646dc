#include "printing/classrig.h"

#include "core/cp1251.h"
#include "register/blankregister.h"
#include "support/programfolder.h"

#include <QDirIterator>
#include <QProcess>

#include <sys/resource.h>

using namespace gravik;

namespace {

struct Run {
    int code = -1;
    QString out, err;
};

// gravik-print as an operator runs it: no display, no print server.
Run gravikPrint(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("CUPS_SERVER", "/nonexistent/cups.sock");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(GRAVIK_PRINT_EXE), args);
    p.waitForFinished(60000);
    Run r{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
    return r;
}

// Every file of a folder with its size and time.
QStringList snapshot(const QString &dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        out << f.filePath() + ' ' + QString::number(f.size()) + ' ' + f.lastModified().toString(Qt::ISODateWithMs);
    }
    out.sort();
    return out;
}

} // namespace

class GravikPrintTest : public QObject
{
    Q_OBJECT
    ProgramFolder folder;
    QTemporaryDir out;
    std::vector<pupils::StudentRecord> rows = classOf(4);
    Certificate base;
    QStringList before;

    QStringList dirArgs(QStringList more) const { return QStringList{"--dir", folder.path()} + more; }

private slots:
    void initTestCase()
    {
        rows[3] = rows[1];
        rows[3][8] = "Ж-999"; // row 6 repeats row 4's name: a choice takes the lower row, a class each
        folder.write("Baza.xml", databaseOf(rows));
        folder.setLine("1.txt", stateLine(Value::Director), cp1251::encode(u"Директорова"));
        folder.setLine("1.txt", stateLine(Value::Surname), cp1251::encode(u"Хранимов"));
        StateFile::Error error;
        base = Certificate::fromState(*StateFile::load(folder.file("1.txt"), &error));
        before = snapshot(folder.path());
    }
    // Nothing written in DIR but the register of blanks, which no failed run wrote into.
    void cleanupTestCase()
    {
        auto withoutRegister = [this](QStringList files) {
            files.removeIf([this](const QString &f) {
                return f.startsWith(folder.file("data") + ' ') || f.contains("/data/register.sqlite");
            });
            return files;
        };
        QCOMPARE(withoutRegister(snapshot(folder.path())), withoutRegister(before));
        blanks::Register reg(folder.file("data/register.sqlite"));
        QVERIFY(reg.use());
        QCOMPARE(reg.count(), 0);
        QVERIFY(!reg.nextBlank()); // a blank given for a run that failed is not kept
    }

    void helpAndVersion()
    {
        const Run help = gravikPrint({"--help"});
        QCOMPARE(help.code, 0);
        QString rest = help.out;
        for (const char *o : {"--dir <ПАПКА>", "--pupil <ФИО>", "--all", "--rows <СТРОКИ>", "--pdf <ФАЙЛ>",
                              "--printer <ОЧЕРЕДЬ>", "--blank <СЕРИЯ НОМЕР>", "--register-csv <ФАЙЛ>", "-h, --help", "-v, --version"}) {
            QVERIFY2(help.out.contains(QString::fromUtf8(o)), o);
            rest.remove(QString::fromUtf8(o));
        }
        // Apart from the options and the names of things, all Russian.
        rest.remove(QStringLiteral(GRAVIK_PRINT_EXE));
        for (const char *name : {"1.txt", "Baza.xml", "PDF", "CSV", "CUPS", "data/"})
            rest.remove(name);
        QVERIFY2(!rest.contains(QRegularExpression("[A-Za-z]")), qPrintable(rest));
        const Run version = gravikPrint({"--version"});
        QCOMPARE(version.code, 0);
        QCOMPARE(version.out.trimmed(), QString("gravik-print 1.3.1"));
    }

    void pagesToAPdf_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QList<int>>("pupils"); // rows' indexes; -1: the certificate of 1.txt
        QTest::addColumn<QString>("note");      // why fewer pages than rows
        QTest::newRow("1.txt") << QStringList{} << QList<int>{-1} << "";
        QTest::newRow("pupil") << QStringList{"--pupil", "Ученик3 Имя3 Отч3"} << QList<int>{2} << "";
        QTest::newRow("last match") << QStringList{"--pupil", "Ученик2 Имя2 Отч2"} << QList<int>{3} << "";
        QTest::newRow("all, namesakes apart") << QStringList{"--all"} << QList<int>{0, 1, 2, 3} << "";
        QTest::newRow("rows") << QStringList{"--rows", "4-5"} << QList<int>{1, 2} << "";
        QTest::newRow("one row") << QStringList{"--rows", "4"} << QList<int>{1} << "";
        QTest::newRow("past the last pupil")
            << QStringList{"--rows", "5-9"} << QList<int>{2, 3}
            << "gravik-print: --rows 5-9: страниц 2 на 5 строк: последний ученик — в строке 6, строки 7–9 пусты\n";
    }
    void pagesToAPdf()
    {
        QFETCH(QStringList, args);
        QFETCH(QList<int>, pupils);
        QFETCH(QString, note);
        const QString pdf = out.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".pdf");
        const Run r = gravikPrint(dirArgs(args + QStringList{"--pdf", pdf}));
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("Страниц: %1, файл %2\n").arg(pupils.size()).arg(pdf));
        QCOMPARE(r.err, note);
        std::vector<pupils::StudentRecord> expected;
        for (int i : pupils)
            expected.push_back(i < 0 ? pupils::recordOf(base) : rows[size_t(i)]);
        if (pupils == QList<int>{-1})
            QCOMPARE(expected[0][0], QString("Хранимов"));
        checkClassPdf(pdf, base, expected);
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString pdf = out.filePath("never.pdf");
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << "неизвестный параметр «--bogus»";
        QTest::newRow("no value") << QStringList{"--pdf"} << 2 << "у параметра «--pdf» нет значения";
        QTest::newRow("two pupil options") << QStringList{"--all", "--rows", "3-4", "--pdf", pdf} << 2
                                           << "только одно из --pupil, --all, --rows";
        QTest::newRow("two outputs") << QStringList{"--pdf", pdf, "--printer", "q"} << 2
                                     << "только одно из --pdf, --printer";
        QTest::newRow("header rows") << QStringList{"--rows", "1-4", "--pdf", pdf} << 2 << "--rows 1-4:";
        QTest::newRow("rows past the end") << QStringList{"--rows", "8-9", "--pdf", pdf} << 2
                                           << "нет учеников в строках 8-9: последний ученик — в строке 6";
        QTest::newRow("bad value") << QStringList{"--all=1", "--pdf", pdf} << 2
                                   << "у параметра «--all» не бывает значения";
        QTest::newRow("extra argument") << QStringList{"class", "--pdf", pdf} << 2 << "лишний аргумент «class»";
        QTest::newRow("unknown pupil") << QStringList{"--pupil", "Ученик2 Имя2", "--pdf", pdf} << 2
                                       << "ученика «Ученик2 Имя2» нет в " + folder.file("Baza.xml");
        QTest::newRow("pdf not written") << QStringList{"--pdf", "/nonexistent/dir/x.pdf"} << 3
                                         << "Не удалось записать файл /nonexistent/dir/x.pdf";
        QTest::newRow("no blank") << QStringList{} << 2 << "не задан следующий бланк";
        QTest::newRow("bad blank") << QStringList{"--blank", "0012345"} << 2 << "--blank «0012345»";
        QTest::newRow("blank for a pdf") << QStringList{"--blank", "ЖОБ 1", "--pdf", pdf} << 2
                                         << "--blank не нужен с --pdf";
        QTest::newRow("no default printer") << QStringList{"--blank", "ЖОБ 1"} << 3
                                            << "страницы не напечатаны: в системе нет принтера по умолчанию";
        QTest::newRow("unknown printer") << QStringList{"--printer", "nowhere", "--blank", "ЖОБ 1"} << 3
                                         << "не напечатаны на принтере «nowhere»: принтер «nowhere» не найден";
    }
    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        const Run r = gravikPrint(dirArgs(args));
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.startsWith("gravik-print: ") || r.err.contains("\ngravik-print: "), qPrintable(r.err));
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QVERIFY(!QFile::exists(out.filePath("never.pdf")));
    }

    // A pupil whose surname is twenty million characters: printed in the
    // memory of a page, not of the text laid out whole.
    void aHugeCellPrintsInLittleMemory()
    {
        ProgramFolder huge;
        auto one = classOf(1);
        one[0][0] = QString(20'000'000, u'Ж');
        huge.write("Baza.xml", databaseOf(one));
        const QString pdf = out.filePath("huge.pdf");
        const Run r = gravikPrint({"--dir", huge.path(), "--rows", "3-3", "--pdf", pdf});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        rusage children{};
        getrusage(RUSAGE_CHILDREN, &children); // the largest child so far, this one among them
        QVERIFY2(children.ru_maxrss < 400 * 1024, qPrintable(QString::number(children.ru_maxrss / 1024) + " MB"));
        QVERIFY(PdfText::read(pdf).find(QStringLiteral("Имя1")));
    }

    void badFiles()
    {
        const QString pdf = out.filePath("never.pdf");
        QTemporaryDir empty;
        Run r = gravikPrint({"--dir", empty.path(), "--pdf", pdf});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(empty.filePath("1.txt")), qPrintable(r.err));

        ProgramFolder broken;
        broken.write("Baza.xml", "<?xml version=\"1.0\"?>\n<Workbook>\n<Row>\n</Workbook>\n");
        r = gravikPrint({"--dir", broken.path(), "--all", "--pdf", pdf});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("Файл " + broken.file("Baza.xml") + ", строка 4"), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).filter("never"), QStringList());
    }
};

QTEST_GUILESS_MAIN(GravikPrintTest)
#include "test_gravikprint.moc"
