#include "printing/defaultprinter.h"
#include "printrig.h"

using namespace gravik;

// Run with CUPS_SERVER pointing nowhere: the system has no printer at all.
class NoPrinterTest : public QObject
{
    Q_OBJECT
private slots:
    void noPrintersAreSeen()
    {
        QVERIFY(printers::names().isEmpty());
        QCOMPARE(printers::defaultPrinter(), QString());
        QString error;
        QVERIFY(!printers::setDefaultPrinter("gravik-test", &error));
        QVERIFY2(error.contains("gravik-test"), qPrintable(error));
    }

    void printingTakesTheFailurePathAndSaysSo()
    {
        PrintRig rig; // the program's own printer: the system default
        QVERIFY(rig.started);
        rig.main->closePanel();
        rig.main->selectField(1);
        PrintDialog *d = rig.openDialog();
        rig.print();
        QVERIFY(!d->lastOutcome().ok);
        QVERIFY(!d->isVisible());
        QCOMPARE(rig.dialog(), d);
        QVERIFY(rig.main->panel()->isVisible());
        QVERIFY(!rig.anyFieldRed());
        QCOMPARE(rig.main->selectedField(), 1);
        QMessageBox *box = PrintRig::message();
        QVERIFY(box);
        QCOMPARE(box->text(), QString("Страница не напечатана: в системе нет принтера по умолчанию."));
    }
};

QTEST_MAIN(NoPrinterTest)
#include "test_noprinter.moc"
