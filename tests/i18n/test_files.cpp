#include "core/cp1251.h"
#include "language/applicationtable.h"
#include "language/languagefile.h"
#include "language/translationtable.h"
#include "support/programfolder.h"

#include <QSet>
#include <QtTest>

using namespace gravik;

namespace {

QByteArray crlf(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &l : lines)
        out += l + "\r\n";
    return out;
}

QList<QByteArray> fileLines(const QByteArray &bytes)
{
    QList<QByteArray> l = bytes.split('\n');
    if (!l.isEmpty() && l.last().isEmpty())
        l.removeLast();
    for (QByteArray &s : l) {
        if (s.endsWith('\r'))
            s.chop(1);
    }
    return l;
}

QList<QByteArray> defaultLines()
{
    QFile f(QStringLiteral(GRAVIK_DEFAULTS_DIR "/data/languare.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return fileLines(f.readAll());
}

} // namespace

// The two language files and the table that says which string goes where.
class LanguageFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void builtInTableIsTheDefaultsFile()
    {
        const QList<QByteArray> file = defaultLines();
        QCOMPARE(file.size(), TranslationTable::StringCount);
        const QStringList &builtIn = TranslationTable::builtIn();
        QCOMPARE(builtIn.size(), TranslationTable::StringCount);
        for (int i = 0; i < file.size(); ++i)
            QVERIFY2(cp1251::encode(builtIn.at(i)) == file.at(i), qPrintable(QString("line %1").arg(i + 1)));
        QCOMPARE(builtIn.at(0), QString::fromUtf8("Шрифт"));
        QCOMPARE(builtIn.at(57), QString::fromUtf8("Қаріп"));
        QCOMPARE(builtIn.at(90), QString::fromUtf8("Бағдарлама параметрлері"));
    }

    void russianAndKazakhLinesPairOneToOne()
    {
        QSet<int> seen;
        for (int ru = 1; ru <= 57; ++ru) {
            const int kz = TranslationTable::kazakhLineOf(ru);
            QVERIFY(kz >= 58 && kz <= 114);
            QVERIFY(!seen.contains(kz));
            seen.insert(kz);
            QCOMPARE(TranslationTable::russianLineOf(kz), ru);
        }
        QCOMPARE(TranslationTable::kazakhLineOf(32), 89);
        QCOMPARE(TranslationTable::kazakhLineOf(33), 109);
        QCOMPARE(TranslationTable::kazakhLineOf(36), 90);
        QCOMPARE(TranslationTable::kazakhLineOf(43), 112);
        QCOMPARE(TranslationTable::kazakhLineOf(45), 98);
        QCOMPARE(TranslationTable::kazakhLineOf(47), 99);
        QCOMPARE(TranslationTable::kazakhLineOf(56), 108);
        QCOMPARE(TranslationTable::kazakhLineOf(57), 114);
        QCOMPARE(TranslationTable::kazakhLineOf(0), 0);
        QCOMPARE(TranslationTable::kazakhLineOf(58), 0);
        QCOMPARE(TranslationTable::russianLineOf(57), 0);
    }

    void extraLinesAreDroppedOnSave()
    {
        ProgramFolder dir;
        QList<QByteArray> lines = defaultLines();
        for (int i = 115; i <= 120; ++i)
            lines << "extra " + QByteArray::number(i);
        lines[23] = "Changed title";
        dir.write("data/languare.txt", crlf(lines));

        QString problem = "untouched";
        const TranslationTable t = TranslationTable::load(TranslationTable::defaultPath(), &problem);
        QVERIFY(problem.isEmpty());
        QCOMPARE(t.text(24), QString("Changed title"));
        QCOMPARE(t.text(114), TranslationTable::builtIn().at(113));
        QVERIFY(t.save(TranslationTable::defaultPath()));
        lines.resize(114);
        QCOMPARE(dir.read("data/languare.txt"), crlf(lines));
    }

    void shortMissingAndEmptyFilesKeepBuiltInStrings()
    {
        ProgramFolder dir;
        QList<QByteArray> lines = defaultLines().mid(0, 100);
        lines[0] = "Font";
        dir.write("data/languare.txt", crlf(lines));
        QString problem;
        TranslationTable t = TranslationTable::load(TranslationTable::defaultPath(), &problem);
        QCOMPARE(t.text(1), QString("Font"));
        QCOMPARE(t.text(101), TranslationTable::builtIn().at(100));
        QVERIFY(problem.contains("languare.txt"));
        QVERIFY(problem.contains("100"));

        dir.write("data/languare.txt", QByteArray());
        t = TranslationTable::load(TranslationTable::defaultPath(), &problem);
        QCOMPARE(t, TranslationTable());
        QVERIFY(problem.contains("languare.txt"));

        QFile::remove(dir.file("data/languare.txt"));
        problem.clear();
        t = TranslationTable::load(TranslationTable::defaultPath(), &problem);
        QCOMPARE(t, TranslationTable());
        QVERIFY(problem.contains("languare.txt"));
        // The next save makes the file whole again.
        QVERIFY(t.save(TranslationTable::defaultPath()));
        QCOMPARE(fileLines(dir.read("data/languare.txt")).size(), 114);
    }

    void emptyLineStaysEmpty()
    {
        ProgramFolder dir;
        QList<QByteArray> lines = defaultLines();
        lines[50] = "";
        dir.write("data/languare.txt", crlf(lines));
        QString problem;
        const TranslationTable t = TranslationTable::load(TranslationTable::defaultPath(), &problem);
        QVERIFY(problem.isEmpty());
        QCOMPARE(t.text(51), QString());
        QVERIFY(t.save(TranslationTable::defaultPath()));
        QCOMPARE(dir.read("data/languare.txt"), crlf(lines));
    }

    void kazakhBytesAreWrittenBackAsRead()
    {
        ProgramFolder dir;
        QList<QByteArray> lines = defaultLines();
        lines[93] = "\x8D\xE0\xE7\xE0\x9D";             // Қазақ
        lines[94] = "\xA3\xBC\xAA\xBA\xBD\xBE\xA5\xB4\xA1\xA2\xAF\xBF\xB2\xB3";
        const QByteArray before = crlf(lines);
        dir.write("data/languare.txt", before);
        TranslationTable t = TranslationTable::load(TranslationTable::defaultPath());
        QCOMPARE(t.text(94), QString::fromUtf8("Қазақ"));
        QVERIFY(t.save(TranslationTable::defaultPath()));
        QCOMPARE(dir.read("data/languare.txt"), before);

        // A Unicode Kazakh letter that reaches the table is stored in its stored form.
        t.setText(94, QString::fromUtf8("Қазақ"));
        QVERIFY(t.save(TranslationTable::defaultPath()));
        QCOMPARE(fileLines(dir.read("data/languare.txt")).at(93), QByteArray("\x8D\xE0\xE7\xE0\x9D"));
    }

    void aLineBreakCannotShiftTheFile()
    {
        ProgramFolder dir;
        TranslationTable t;
        t.setText(3, "two\nlines\r\nhere");
        QVERIFY(t.save(TranslationTable::defaultPath()));
        const QList<QByteArray> lines = fileLines(dir.read("data/languare.txt"));
        QCOMPARE(lines.size(), 114);
        QCOMPARE(lines.at(2), QByteArray("two lines here"));
        QCOMPARE(lines.at(3), cp1251::encode(TranslationTable::builtIn().at(3)));
    }

    void languageFileLineOneOnly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("code");
        QTest::newRow("Kaz and more lines") << QByteArray("Kaz\r\nRus\r\nanything\r\n") << "Kaz";
        QTest::newRow("lower case kept") << QByteArray("kaz\r\n") << "kaz";
        QTest::newRow("trailing blank kept") << QByteArray("Kaz \r\n") << "Kaz ";
        QTest::newRow("no line end") << QByteArray("Rus") << "Rus";
        QTest::newRow("empty first line") << QByteArray("\r\nKaz\r\n") << "";
    }
    void languageFileLineOneOnly()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, code);
        ProgramFolder dir;
        dir.write("data/lang.txt", bytes);
        QString problem;
        const auto read = languagefile::read(languagefile::defaultPath(), &problem);
        QVERIFY(read);
        QCOMPARE(*read, code);
        QVERIFY(problem.isEmpty());
    }

    void missingOrEmptyLanguageFileIsReported()
    {
        ProgramFolder dir;
        dir.write("data/lang.txt", QByteArray());
        QString problem;
        QVERIFY(!languagefile::read(languagefile::defaultPath(), &problem));
        QVERIFY(problem.contains("lang.txt"));
        QFile::remove(dir.file("data/lang.txt"));
        problem.clear();
        QVERIFY(!languagefile::read(languagefile::defaultPath(), &problem));
        QVERIFY(problem.contains("lang.txt"));
    }

    void languageFileIsOneLine()
    {
        ProgramFolder dir;
        dir.write("data/lang.txt", "Rus\r\nold second line\r\n");
        QVERIFY(languagefile::write(languagefile::defaultPath(), "Kaz"));
        QCOMPARE(dir.read("data/lang.txt"), QByteArray("Kaz\r\n"));
        // Without its data folder the file is written all the same.
        QDir(dir.file("data")).removeRecursively();
        QVERIFY(languagefile::write(languagefile::defaultPath(), "Rus"));
        QCOMPARE(dir.read("data/lang.txt"), QByteArray("Rus\r\n"));
    }

    void everyRowTakesThePairedKazakhLine()
    {
        for (const i18n::ApplicationRow &r : i18n::applicationRows())
            QVERIFY2(TranslationTable::kazakhLineOf(r.russianLine) == r.kazakhLine,
                     qPrintable(r.window + "/" + r.control));
        // Lines that feed no row.
        QSet<int> used;
        for (const i18n::ApplicationRow &r : i18n::applicationRows())
            used << r.russianLine;
        for (int ru : {41, 53, 54, 55, 56})
            QVERIFY(!used.contains(ru));
        QCOMPARE(used.size(), 57 - 5);
    }

    void rowsPerWindowInTheirOrder()
    {
        const QStringList order = i18n::windowOrder();
        QCOMPARE(order, QStringList({"Blankard", "Baza", "Help", "Lang", "Nastroiki", "Print1"}));
        const int counts[] = {39, 15, 5, 1, 11, 4};
        int total = 0;
        for (int i = 0; i < order.size(); ++i) {
            QCOMPARE(int(i18n::rowsOf(order.at(i)).size()), counts[i]);
            total += counts[i];
        }
        QCOMPARE(int(i18n::applicationRows().size()), total);

        QStringList cells;
        for (const i18n::ApplicationRow &r : i18n::rowsOf("Baza"))
            if (r.target == i18n::Target::Cell)
                cells << r.control;
        QCOMPARE(cells, QStringList({"A1", "D1", "G1", "A2", "B2", "C2", "D2", "E2", "F2", "G2", "H2", "I2"}));
    }

    void resolvingACode()
    {
        TranslationTable t;
        const auto kz = i18n::resolve("Blankard", "Kaz", t);
        QCOMPARE(int(kz.size()), 39);
        QCOMPARE(kz.front().first.target, i18n::Target::Title);
        QCOMPARE(kz.front().second, QString::fromUtf8("Мектеп аттестат"));
        QCOMPARE(kz.at(1).second, QString::fromUtf8("Қаріп"));
        for (const QString code : {"kaz", "Kaz ", "rus", "", "Text32"})
            QVERIFY(i18n::resolve("Blankard", code, t).empty());
        QVERIFY(i18n::resolve("Nowhere", "Rus", t).empty());

        const auto help = i18n::resolve("Help", "Kaz", t);
        QCOMPARE(help.at(1).second, QString::fromUtf8("Нұсқа: 1.3.1"));
        QCOMPARE(help.at(3).second, QString::fromUtf8("Тел: ") + i18n::MakerTelephone);
        t.setText(51, QString());
        QCOMPARE(i18n::resolve("Help", "Rus", t).at(1).second, QString(" 1.3.1"));
    }
};

QTEST_GUILESS_MAIN(LanguageFilesTest)
#include "test_files.moc"
