// Crafted files that once crashed the reader, filled the memory or took
// minutes: each is made here, read through the path the program takes, and
// must come back whole, small and fast.
#include "database/databasefiles.h"
#include "database/pupils.h"
#include "database/spreadsheetml.h"
#include "database/workbookmodel.h"
#include "support/craftedbook.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace gravik;
namespace sml = gravik::spreadsheetml;
using crafted::book;
using crafted::num;
using crafted::repeat;

namespace {

// Reads on a thread with a small stack, as a recursion on the file's depth
// would overflow it; the time it took in *ms.
std::optional<Workbook> readSmallStack(const QByteArray &xml, sml::Error *error, qint64 *ms = nullptr)
{
    std::optional<Workbook> out;
    QElapsedTimer t;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        t.start();
        out = sml::read(xml, error);
        if (ms)
            *ms = t.elapsed();
    }));
    thread->setStackSize(256 * 1024);
    thread->start();
    thread->wait();
    return out;
}

// Far below the minutes a quadratic walk took, far above a linear one.
constexpr qint64 kLinearMs = 1500;

} // namespace

class HostileTest : public QObject
{
    Q_OBJECT
private slots:
    void deeplyNestedTextLoads()
    {
        // 200,000 elements inside one Data, in a file the window loads.
        const QByteArray deep = "<Row ss:Index=\"3\"><Cell><Data ss:Type=\"String\">"
                                + QByteArray("<Font>").repeated(200000) + "глубоко"
                                + QByteArray("</Font>").repeated(200000) + "</Data></Cell></Row>";
        sml::Error e;
        const auto b = readSmallStack(book(deep), &e);
        QVERIFY2(b, qPrintable(e.message));
        QCOMPARE(b->active()->text(3, 1), QStringLiteral("глубоко"));
    }

    void spannedRowCostsOneRow()
    {
        const QByteArray pupil = repeat(9, [](int c) { return "<Cell ss:StyleID=\"s\"><Data ss:Type=\"String\">п" + num(c) + "</Data></Cell>"; });
        const QByteArray xml = book("<Row ss:Index=\"3\" ss:Span=\"1048573\" ss:Height=\"14\">" + pupil + "</Row>",
                                    "<Style ss:ID=\"s\"/>");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Baza.xml"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(xml) == xml.size());
        f.close();
        WorkbookModel model;
        QVERIFY(model.load(path));
        const Worksheet &s = model.activeSheet();
        QCOMPARE(s.rows.size(), size_t(1)); // the values are in row 3 only
        QCOMPARE(pupils::listEntries(s), QStringList{QStringLiteral("п0 п1 п2")});
        QCOMPARE(s.rowHeight(MaxSheetRows), 14.0); // the format repeats to the last row
        QCOMPARE(s.effectiveStyle(MaxSheetRows, 9), s.effectiveStyle(3, 9));
        QVERIFY(s.text(MaxSheetRows, 1).isEmpty());
        QCOMPARE(s.usedRows(), MaxSheetRows);

        // Saved, it stays a few hundred bytes per row written, and reads back the same.
        QElapsedTimer t;
        t.start();
        QVERIFY(model.exportTo(path));
        QVERIFY(t.elapsed() < kLinearMs);
        QVERIFY2(QFileInfo(path).size() < 20 * xml.size(), qPrintable(QString::number(QFileInfo(path).size())));
        sml::Error e;
        const auto again = sml::readFile(path, &e);
        QVERIFY2(again, qPrintable(e.message));
        const Worksheet &a = *again->active();
        QCOMPARE(pupils::listEntries(a), pupils::listEntries(s));
        for (int row : {3, 4, 5000, MaxSheetRows - 1, MaxSheetRows}) {
            QCOMPARE(a.rowHeight(row), 14.0);
            QCOMPARE(a.effectiveStyle(row, 5) >= 0, true);
        }
        QCOMPARE(a.usedRows(), MaxSheetRows);
    }

    void emptyFormattedRangesSaveInProportion()
    {
        // 300 spanned rows of styled empty cells, each at its own columns, over
        // a million rows in all: the file is small, and so must its copy be.
        const QByteArray rows = repeat(300, [](int i) {
            return "<Row ss:Index=\"" + num(1 + i * 3495) + "\" ss:Span=\"3494\"><Cell ss:Index=\"" + num(1 + i % 50)
                   + "\" ss:StyleID=\"s" + num(i % 3) + "\"/><Cell ss:StyleID=\"s1\"/></Row>";
        });
        const QByteArray xml = book(rows, "<Style ss:ID=\"s0\"/><Style ss:ID=\"s1\"/><Style ss:ID=\"s2\"/>");
        sml::Error e;
        const auto b = sml::read(xml, &e);
        QVERIFY2(b, qPrintable(e.message));
        QElapsedTimer t;
        t.start();
        const QByteArray out = sml::write(*b);
        QVERIFY(t.elapsed() < kLinearMs);
        QVERIFY2(out.size() < 200 * xml.size(), qPrintable(QString::number(out.size())));
        const auto c = sml::read(out, &e);
        QVERIFY2(c, qPrintable(e.message));
        for (int row : {1, 3495, 3496, 500000, 1048499})
            for (int column = 1; column <= 51; ++column)
                QCOMPARE(c->active()->effectiveStyle(row, column), b->active()->effectiveStyle(row, column));
    }

    void loadsInLinearTime_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("check"); // A1 reference and the text it must hold
        QTest::newRow("rows in descending order")
            << book(repeat(50000, [](int i) {
                   return "<Row ss:Index=\"" + num(50000 - i) + "\"><Cell><Data ss:Type=\"Number\">" + num(50000 - i)
                          + "</Data></Cell></Row>";
               }))
            << "A123=123";
        QTest::newRow("cells in descending order")
            << book(repeat(20, [](int) {
                   return "<Row>" + repeat(16384, [](int c) {
                              return "<Cell ss:Index=\"" + num(16384 - c) + "\"><Data ss:Type=\"Number\">" + num(c)
                                     + "</Data></Cell>";
                          }) + "</Row>";
               }))
            << "XFD20=0";
        QTest::newRow("many styles")
            << book("<Row><Cell ss:StyleID=\"s49999\"><Data ss:Type=\"String\">x</Data></Cell></Row>",
                    repeat(50000, [](int i) { return "<Style ss:ID=\"s" + num(i) + "\"><Font ss:Size=\"" + num(i % 40 + 1) + "\"/></Style>"; }))
            << "A1=x";
        QTest::newRow("wide column spans")
            << book(repeat(50000, [](int i) { return "<Column ss:Index=\"1\" ss:Span=\"16383\" ss:Width=\"" + num(i % 90 + 10) + "\"/>"; })
                    + "<Row><Cell><Data ss:Type=\"String\">z</Data></Cell></Row>")
            << "A1=z";
        QTest::newRow("long parent chain")
            << book("<Row><Cell ss:StyleID=\"s0\"><Data ss:Type=\"String\">y</Data></Cell></Row>",
                    repeat(100000, [](int i) {
                        return "<Style ss:ID=\"s" + num(i) + "\" ss:Parent=\"s" + num(i + 1) + "\"/>";
                    }) + "<Style ss:ID=\"s100000\"><Font ss:Bold=\"1\"/></Style>")
            << "A1=y";
    }

    void loadsInLinearTime()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, check);
        sml::Error e;
        qint64 ms = 0;
        const auto b = readSmallStack(xml, &e, &ms);
        QVERIFY2(b, qPrintable(e.message));
        QVERIFY2(ms < kLinearMs, qPrintable(QString::number(ms)));
        const auto ref = parseCellRef(check.section(u'=', 0, 0));
        QCOMPARE(b->active()->text(ref->row, ref->column), check.section(u'=', 1));
        if (QByteArray(QTest::currentDataTag()) == "long parent chain")
            QCOMPARE(b->styles[size_t(b->active()->effectiveStyle(1, 1))].bold, QStringLiteral("1"));
        if (QByteArray(QTest::currentDataTag()) == "wide column spans")
            QCOMPARE(b->active()->columnWidth(MaxSheetColumns), 49999 % 90 + 10.0);
        if (QByteArray(QTest::currentDataTag()) == "rows in descending order")
            QVERIFY(std::is_sorted(b->active()->rows.begin(), b->active()->rows.end(),
                                   [](const SheetRow &x, const SheetRow &y) { return x.index < y.index; }));
    }

    void lookupsDoNotWalkEveryRange()
    {
        // 20,000 repeated rows, each a range of format and of height: a cell's
        // style and a row's height are found without looking at all of them.
        const QByteArray xml = book(repeat(20000, [](int i) {
            return "<Row ss:Span=\"1\" ss:Height=\"" + num(i % 50 + 10) + "\"><Cell ss:StyleID=\"s" + num(i % 2)
                   + "\"/></Row>";
        }), "<Style ss:ID=\"s0\"/><Style ss:ID=\"s1\"/>");
        sml::Error e;
        const auto b = sml::read(xml, &e);
        QVERIFY2(b, qPrintable(e.message));
        const Worksheet &s = *b->active();
        QElapsedTimer t;
        t.start();
        for (int row = 1; row <= 40000; ++row) {
            const int i = (row - 1) / 2;
            QCOMPARE(s.rowHeight(row), double(i % 50 + 10));
            QCOMPARE(b->styles[size_t(s.effectiveStyle(row, 1))].id, QStringLiteral("s%1").arg(i % 2));
            QCOMPARE(s.effectiveStyle(row, 2), -1);
        }
        QVERIFY2(t.elapsed() < kLinearMs, qPrintable(QString::number(t.elapsed())));
    }

    void parentLoopIsRefused()
    {
        sml::Error e;
        QVERIFY(!sml::read(book({}, "<Style ss:ID=\"a\" ss:Parent=\"b\"/>\n<Style ss:ID=\"b\" ss:Parent=\"c\"/>"
                                    "<Style ss:ID=\"c\" ss:Parent=\"a\"/>"),
                           &e));
        QVERIFY2(e.message.contains(QStringLiteral("ss:Parent")), qPrintable(e.message));
        QCOMPARE(e.line, 3);
    }

    void messagesAreReadable_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QString>("says");
        QTest::newRow("column") << QByteArray("<Row><Cell ss:Index=\"x\"/></Row>") << "Номер столбца ss:Index «x»";
        QTest::newRow("row span") << QByteArray("<Row ss:Span=\"-2\"/>") << "Повтор строки ss:Span «-2»";
        QTest::newRow("merge") << QByteArray("<Row><Cell ss:MergeDown=\"z\"/></Row>") << "Объединение ss:MergeDown «z»";
    }

    void messagesAreReadable()
    {
        QFETCH(QByteArray, table);
        QFETCH(QString, says);
        sml::Error e;
        QVERIFY(!sml::read(book(table), &e));
        QVERIFY2(e.message.contains(says), qPrintable(e.message));
    }

    void storedWindowSize()
    {
        using studentdb::storedSizeTwips;
        QCOMPARE(storedSizeTwips(QStringLiteral("15985.5"), 100, 0), 15986);
        QCOMPARE(storedSizeTwips(QStringLiteral(" 12250 "), 100, 20000), 12250);
        QCOMPARE(storedSizeTwips(QStringLiteral("99999999"), 100, 20000), 20000);
        QCOMPARE(storedSizeTwips(QStringLiteral("1e999"), 100, 20000), 100);
        QCOMPARE(storedSizeTwips(QStringLiteral("-5"), 100, 20000), 100);
        QCOMPARE(storedSizeTwips(std::nullopt, 30000, 20000), 20000);
    }
};

QTEST_GUILESS_MAIN(HostileTest)
#include "test_hostile.moc"
