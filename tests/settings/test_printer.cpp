#include "support/dialoganswers.h"
#include "printing/defaultprinter.h"
#include "settings/printerdialog.h"
#include "settings/settingswindow.h"

#include <QApplication>
#include <QListWidget>
#include <QProcess>
#include <QTimer>
#include <QtTest>

using namespace gravik;

namespace {

// What CUPS itself says the default is, as the operator would ask it.
QString systemDefault()
{
    QProcess lpstat;
    lpstat.start("lpstat", {"-d"});
    if (!lpstat.waitForFinished(10000))
        return "<lpstat did not finish>";
    const QString out = QString::fromLocal8Bit(lpstat.readAllStandardOutput()).trimmed();
    const qsizetype colon = out.lastIndexOf(':');
    return colon < 0 ? out : out.mid(colon + 1).trimmed();
}

// Runs act on the printer dialog once it is up, from inside its modal loop.
void whenDialogOpens(std::function<void(PrinterDialog *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto *d = qobject_cast<PrinterDialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(d);
        }
    });
    timer->start();
}

void choose(PrinterDialog *d, const QString &name)
{
    const auto found = d->list()->findItems(name, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    d->list()->setCurrentItem(found.first());
}

} // namespace

// The settings window's printer button against the test CUPS server.
class DefaultPrinterTest : public QObject
{
    Q_OBJECT
    DialogAnswers m_answers;
    QStringList &m_messages = m_answers.messages;

private slots:
    void initTestCase()
    {
        const QStringList names = printers::names();
        QVERIFY2(names.contains("gravik-test") && names.contains("gravik-test2"),
                 qPrintable("test queues missing: " + names.join(", ")));
    }
    void init()
    {
        QVERIFY(printers::setDefaultPrinter("gravik-test"));
        QCOMPARE(systemDefault(), QString("gravik-test"));
        m_messages.clear();
    }
    void cleanupTestCase() { printers::setDefaultPrinter("gravik-test"); }

    void cancellingChangesNothing()
    {
        SettingsWindow settings(nullptr);
        settings.show();
        QStringList listed;
        QString preselected;
        whenDialogOpens([&](PrinterDialog *d) {
            for (int i = 0; i < d->list()->count(); ++i)
                listed << d->list()->item(i)->text();
            preselected = d->chosen();
            choose(d, "gravik-test2");
            d->reject();
        });
        settings.chooseDefaultPrinter();
        QVERIFY(listed.contains("gravik-test") && listed.contains("gravik-test2"));
        QCOMPARE(preselected, QString("gravik-test"));
        QCOMPARE(systemDefault(), QString("gravik-test"));
        QVERIFY(m_messages.isEmpty());
    }

    void confirmingMakesItTheDefault()
    {
        SettingsWindow settings(nullptr);
        settings.show();
        whenDialogOpens([](PrinterDialog *d) {
            choose(d, "gravik-test2");
            d->accept();
        });
        settings.chooseDefaultPrinter();
        QCOMPARE(systemDefault(), QString("gravik-test2"));
        QCOMPARE(printers::defaultPrinter(), QString("gravik-test2"));
        QVERIFY(m_messages.isEmpty());

        // Opened again, the dialog starts from the new default.
        QString preselected;
        whenDialogOpens([&](PrinterDialog *d) {
            preselected = d->chosen();
            d->reject();
        });
        settings.chooseDefaultPrinter();
        QCOMPARE(preselected, QString("gravik-test2"));
    }

    void anUnknownPrinterChangesNothingAndSaysNothing()
    {
        // A queue that went away while the dialog was open.
        PrinterDialog d({"gravik-gone", "gravik-test"}, "gravik-gone");
        QCOMPARE(d.chosen(), QString("gravik-gone"));
        QString error;
        QVERIFY(!printers::setDefaultPrinter(d.chosen(), &error));
        QCOMPARE(systemDefault(), QString("gravik-test"));

        SettingsWindow settings(nullptr);
        settings.show();
        whenDialogOpens([](PrinterDialog *dlg) {
            dlg->list()->addItem("gravik-gone");
            choose(dlg, "gravik-gone");
            dlg->accept();
        });
        settings.chooseDefaultPrinter();
        QCOMPARE(systemDefault(), QString("gravik-test"));
        QVERIFY(m_messages.isEmpty());
    }
};

QTEST_MAIN(DefaultPrinterTest)
#include "test_printer.moc"
