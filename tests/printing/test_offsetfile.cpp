#include "core/cp1251.h"
#include "core/printeroffsets.h"
#include "support/programfolder.h"

#include <QtTest>

#include <ctime>
#include <sys/stat.h>

using namespace gravik;

// data/printers.txt: the offsets as read, written back and complained of.
class OffsetFileTest : public QObject
{
    Q_OBJECT
    QStringList told;

    static ino_t inode(const QString &path)
    {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
    }

private slots:
    void init()
    {
        told.clear();
        printeroffsets::forgetReported();
        printeroffsets::setReporter([this](const QString &m) { told << m; });
    }

    // Lines this machine does not touch come back byte for byte, CR LF, code
    // page 1251; a set printer's line is replaced in place or added at the end.
    void readChangedAndWrittenBack()
    {
        ProgramFolder folder;
        const QByteArray bukh = cp1251::encode(u"Бухгалтерия");
        folder.write("data/printers.txt", "Office_HP\t1.5\t-0.8\r\n" + bukh + "\t-20.0\t20\n\r\nKyocera\t0.3\t+0.0\r\n");
        PrinterOffsets o = printeroffsets::current();
        QVERIFY2(told.isEmpty(), qPrintable(told.join('\n')));
        QCOMPARE(o.find("Office_HP"), (PrinterOffset{15, -8}));
        QCOMPARE(o.find(QStringLiteral("Бухгалтерия")), (PrinterOffset{-200, 200}));
        QCOMPARE(o.find("Kyocera")->millimetres(), QPointF(0.3, 0));
        QVERIFY(!o.find("office_hp")); // queue names are exact
        QVERIFY(!o.find(""));

        o.set("Kyocera", {50, -30});
        o.set(QStringLiteral("Канцелярия"), {-5, 1});
        const QString path = printeroffsets::path();
        const ino_t before = inode(path);
        QString error;
        QVERIFY2(o.write(path, &error), qPrintable(error));
        QCOMPARE(folder.read("data/printers.txt"),
                 "Office_HP\t1.5\t-0.8\r\n" + bukh + "\t-20.0\t20\r\n\r\nKyocera\t5.0\t-3.0\r\n" +
                     cp1251::encode(u"Канцелярия") + "\t-0.5\t0.1\r\n");
        QVERIFY(inode(path) != before); // a new file put in place, not the old one rewritten
        QCOMPARE(printeroffsets::current().find(QStringLiteral("Канцелярия")), (PrinterOffset{-5, 1}));

        QVERIFY(QFile::remove(path)); // no file: no offsets, nothing to say
        QVERIFY(!printeroffsets::current().find("Office_HP"));
        QVERIFY(told.isEmpty());
    }

    // A bad line is ignored, kept when the file is written back, and told of
    // once, naming the file and the line.
    void badLinesAreToldOnce()
    {
        ProgramFolder folder;
        folder.write("data/printers.txt", "A\t1.0\t1.0\r\nB\t1,5\t0.0\r\nC\t20.1\t0\r\nD\t1.0\r\n"
                                          "E\t1.25\t0\r\n\t1.0\t1.0\r\nF\t2.0\t-2.0\r\n");
        const QString path = printeroffsets::path();
        PrinterOffsets o = printeroffsets::current();
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].contains(path + " строки 2, 3, 4, 5, 6 не прочитаны"), qPrintable(told[0]));
        QCOMPARE(o.find("A"), (PrinterOffset{10, 10}));
        QCOMPARE(o.find("F"), (PrinterOffset{20, -20}));
        for (const char *bad : {"B", "C", "D", "E"})
            QVERIFY2(!o.find(bad), bad);
        printeroffsets::current();
        QCOMPARE(told.size(), 1); // not again in this run

        o.set("A", {0, 0});
        QString error;
        QVERIFY2(o.write(path, &error), qPrintable(error));
        QVERIFY(folder.read("data/printers.txt").contains("B\t1,5\t0.0\r\nC\t20.1\t0\r\n"));
        // A line that goes bad later is told of, alone.
        folder.write("data/printers.txt", "A\t0.0\t0.0\r\nB\t1,5\t0.0\r\nG\tx\ty\r\n");
        printeroffsets::current();
        QCOMPARE(told.size(), 2);
        QVERIFY2(told[1].contains(path + " строка 3 не прочитана"), qPrintable(told[1]));
    }

    // A million bad lines: read in moments, the message names the first ten
    // and counts the rest, the good line after them still counts, and the
    // file goes back as it was.
    void aMillionBadLinesGiveAShortMessage()
    {
        ProgramFolder folder;
        constexpr int bad = 1'000'000;
        QByteArray data = "A\t1.0\t1.0\r\n";
        data.reserve(bad * 12);
        for (int i = 0; i < bad; ++i)
            data += i % 2 ? "B\t1,5\t0.0\r\n" : "no offset\r\n";
        data += "C\t-2.0\t0.5\r\n";
        folder.write("data/printers.txt", data);

        // Processor time, so a busy machine does not count against it.
        const std::clock_t start = std::clock();
        PrinterOffsets o = printeroffsets::current();
        const double ms = double(std::clock() - start) * 1000 / CLOCKS_PER_SEC;
        QVERIFY2(ms < 2000, qPrintable(QString::number(ms) + " ms"));
        QCOMPARE(o.find("C"), (PrinterOffset{-20, 5}));
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].size() < 400, qPrintable(told[0].left(400)));
        QVERIFY2(told[0].contains(printeroffsets::path() + " строки 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 и ещё 999990 "
                                                          "не прочитаны"),
                 qPrintable(told[0]));
        printeroffsets::current();
        QCOMPARE(told.size(), 1);

        o.set("A", {0, 0});
        QString error;
        QVERIFY2(o.write(printeroffsets::path(), &error), qPrintable(error));
        QCOMPARE(folder.read("data/printers.txt"), "A\t0.0\t0.0" + data.mid(data.indexOf('\r')));
    }
};

QTEST_GUILESS_MAIN(OffsetFileTest)
#include "test_offsetfile.moc"
