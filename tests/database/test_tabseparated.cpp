// Cells as clipboard text: what LibreOffice Calc puts there reads back cell
// for cell, and what the grid copies reads back the same.
#include "database/tabseparated.h"

#include <QtTest>

using namespace gravik;
using Rows = tsv::Rows;

class TabSeparatedTest : public QObject
{
    Q_OBJECT
private slots:
    void readsWhatCalcCopies_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Rows>("rows");
        const Rows two = {{"Иванов", "Иван", "a\tb"}, {"", "x\ny", "он сказал \"да\""}};
        QTest::newRow("LF") << QString("Иванов\tИван\t\"a\tb\"\n\t\"x\ny\"\t\"он сказал \"\"да\"\"\"\n") << two;
        QTest::newRow("CRLF") << QString("Иванов\tИван\t\"a\tb\"\r\n\t\"x\r\ny\"\t\"он сказал \"\"да\"\"\"\r\n")
                              << two;
        QTest::newRow("no last line end") << QString("Иванов\tИван\t\"a\tb\"\n\t\"x\ny\"\t\"он сказал \"\"да\"\"\"")
                                          << two;
        // Calc leaves a cell with quotes but no tab or line break unquoted.
        QTest::newRow("bare quotes") << QString("12 \"Б\" класс\t\"\"\n") << Rows{{"12 \"Б\" класс", ""}};
        QTest::newRow("ragged") << QString("a\nb\tc\td\n") << Rows{{"a"}, {"b", "c", "d"}};
        QTest::newRow("one empty cell") << QString("\n") << Rows{{""}};
        QTest::newRow("nothing") << QString() << Rows{};
    }
    void readsWhatCalcCopies()
    {
        QFETCH(QString, text);
        QFETCH(Rows, rows);
        QCOMPARE(tsv::parse(text), rows);
    }

    void writesWhatReadsBack()
    {
        const Rows rows = {{"Ким", "\"Дарын\"", "a\tb"}, {"две\nстроки", "", "125"}};
        const QString text = tsv::format(rows);
        QCOMPARE(text, QString("Ким\t\"\"\"Дарын\"\"\"\t\"a\tb\"\n\"две\nстроки\"\t\t125\n"));
        QCOMPARE(tsv::parse(text), rows);
    }
};

QTEST_APPLESS_MAIN(TabSeparatedTest)
#include "test_tabseparated.moc"
