#include "core/certificatefields.h"
#include "core/coordinatetable.h"
#include "core/twips.h"
#include "core/fontlist.h"

#include <QSet>
#include <cmath>
#include <QtTest>

using namespace gravik;

class FieldsTest : public QObject
{
    Q_OBJECT
private slots:
    void tablePlacesFieldsAtTheirDefaults()
    {
        CoordinateTable t;
        QCOMPARE(t.entries().size(), 66);
        QCOMPARE(t.entry(CoordinateTable::yEntry(1)), QString("3600"));
        QCOMPARE(t.entry(CoordinateTable::xEntry(1)), QString("2040"));
        QCOMPARE(t.entry(65), QString("7800"));
        QCOMPARE(t.entry(66), QString("9360"));
        QCOMPARE(*t.number(CoordinateTable::xEntry(20)), 10920.0f);
    }

    void entriesReadAsDecimals()
    {
        QCOMPARE(*CoordinateTable::toNumber("2040"), 2040.0f);
        QCOMPARE(*CoordinateTable::toNumber(" 2040.5 "), 2040.5f);
        QVERIFY(!CoordinateTable::toNumber("abc"));
        QVERIFY(!CoordinateTable::toNumber(""));
        QVERIFY(!CoordinateTable::toNumber("12px"));
        QVERIFY(!CoordinateTable::toNumber("inf"));
        // A hand edit far beyond the page converts to pixels and to int without overflow.
        QCOMPARE(*CoordinateTable::toNumber("99999999999"), CoordinateTable::MaxMagnitude);
        QCOMPARE(*CoordinateTable::toNumber("-3e30"), -CoordinateTable::MaxMagnitude);
        QCOMPARE(twips::toPixels(1e12, 96), int(twips::maxDevice));
        QCOMPARE(twips::toPixels(-1e300, 96), -int(twips::maxDevice));
        QCOMPARE(twips::toPixels(std::nan(""), 96), 0);
    }

    void everyValueFeedsOneField()
    {
        QSet<int> fields;
        for (int i = 0; i < ValueCount; ++i) {
            const int n = fieldOf(Value(i));
            QVERIFY2(n > 0, qPrintable(QString::number(i)));
            fields.insert(n);
        }
        QCOMPARE(fields.size(), 29);
        // State-file line 12 is the registration number, printed in field 16.
        QCOMPARE(fieldOf(Value(11)), 16);
        QCOMPARE(fieldOf(Value(21)), 5);
        // The panel copies exactly the boxes' fields.
        QCOMPARE(QSet<int>(panelCopyOrder().begin(), panelCopyOrder().end()), fields);
        QCOMPARE(certificateField(21).mirrorOf, 4);
        QCOMPARE(certificateField(33).mirrorOf, 16);
        QCOMPARE(certificateField(6).height, 315);
    }

    void fontListDropsRepeatedNeighboursOnly_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("empty") << QStringList() << QStringList();
        QTest::newRow("one") << QStringList{"Arial"} << QStringList{"Arial"};
        QTest::newRow("twice") << QStringList{"Times", "Arial", "Times"} << QStringList{"Arial", "Times"};
        QTest::newRow("case differs") << QStringList{"arial", "Arial"} << QStringList{"Arial", "arial"};
        QTest::newRow("runs") << QStringList{"B", "A", "B", "A", "A", "C"} << QStringList{"A", "B", "C"};
        QTest::newRow("mixed case repeats")
            << QStringList{"Arial", "arial", "Arial", "ARIAL"} << QStringList{"ARIAL", "Arial", "arial"};
    }
    void fontListDropsRepeatedNeighboursOnly()
    {
        QFETCH(QStringList, installed);
        QFETCH(QStringList, listed);
        QCOMPARE(fontlist::build(installed), listed);
    }
};

QTEST_GUILESS_MAIN(FieldsTest)
#include "test_fields.moc"
