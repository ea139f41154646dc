#include "classrig.h"

#include "printing/printjob.h"

#include <QDir>
#include <QTemporaryDir>

using namespace gravik;

namespace {

Worksheet sheetOf(const std::vector<pupils::StudentRecord> &rows)
{
    auto book = spreadsheetml::read(databaseOf(rows));
    return book ? *book->active() : Worksheet();
}

QStringList surnames(const std::vector<pupils::StudentRecord> &records)
{
    QStringList out;
    for (const auto &r : records)
        out << r[0];
    return out;
}

} // namespace

class PrintJobTest : public QObject
{
    Q_OBJECT
private slots:
    void aClassIsOnePdfPageAPupil()
    {
        QTemporaryDir dir;
        const Certificate base = classBase();
        const auto pupils = classOf(4);
        QList<int> told;
        QString error;
        const QString path = dir.filePath("class.pdf");
        QVERIFY2(printing::writePages(path, page::PageSetup{}, 4, pupils::classPages(base, pupils),
                                      [&](int made, int total) { told << made * 10 + total; return true; }, &error),
                 qPrintable(error));
        QCOMPARE(told, QList<int>({14, 24, 34, 44}));
        checkClassPdf(path, base, pupils);
    }

    // The class is every listed row, each with its own values: namesakes are
    // two pupils, and a row a choice would never reach still prints.
    void theClassIsEveryListedRow()
    {
        auto rows = classOf(6);
        rows[3] = rows[2];
        rows[3][8] = "Ж-999"; // row 6 repeats row 5's name with another number
        rows[4][0].clear();   // row 7: no surname, so a choice looks no further
        rows[5][2].clear();   // row 8: the list ends here
        const Worksheet sheet = sheetOf(rows);
        QCOMPARE(pupils::listedPupils(sheet), std::vector<pupils::StudentRecord>(rows.begin(), rows.begin() + 5));
        QCOMPARE(*pupils::find(sheet, "Ученик3 Имя3 Отч3"), rows[3]); // a choice: the lower one
    }

    void selectedRowsOnly()
    {
        auto rows = classOf(6);
        rows[2] = {}; // row 5 is empty: no pupil, no page
        const Worksheet sheet = sheetOf(rows);
        QCOMPARE(surnames(pupils::rowRange(sheet, 4, 7)), QStringList({"Ученик2", "Ученик4", "Ученик5"}));
        QCOMPARE(surnames(pupils::rowRange(sheet, 1, 3)), QStringList({"Ученик1"})); // headers are no pupils
        QCOMPARE(pupils::rowRange(sheet, 9, 20).size(), size_t(0));
        QCOMPARE(pupils::lastPupilRow(sheet), 8);
        QCOMPARE(pupils::lastPupilRow(sheetOf({})), 0);
    }

    void applyingAPupilIsWhatChoosingCopies()
    {
        Certificate c = classBase();
        pupils::StudentRecord r = classPupil(1);
        r[1] = "Две\r\nстроки";
        pupils::applyRecord(c, r);
        QCOMPARE(c.value(Value::FirstName), QString("Две строки"));
        QCOMPARE(c.value(Value::ClassTeacherKz), r[7]);
        QCOMPARE(c.value(Value::RegistrationNumber), r[8]);
        QCOMPARE(c.value(Value::Director), QString("Директорова"));
        QCOMPARE(pupils::recordOf(c)[8], r[8]);
    }

    void aCancelBeforeSendingSendsNothing()
    {
        const Certificate base = classBase();
        const auto pupils = classOf(5);
        int sent = 0;
        const printing::Sender send = [&](const QString &, const QString &, const QString &, QString *) {
            return ++sent;
        };
        const QStringList before = QDir::temp().entryList({"gravik-page-*"});
        const auto out = printing::sendPages("test", page::PageSetup{}, 5, pupils::classPages(base, pupils),
                                             "Класс", [](int made, int) { return made < 3; }, send);
        QVERIFY(out.cancelled);
        QVERIFY(!out.ok);
        QCOMPARE(sent, 0);
        QCOMPARE(QDir::temp().entryList({"gravik-page-*"}), before); // no page file left behind

        QTemporaryDir dir;
        QStringList job;
        const auto done = printing::sendPages(
            "test", page::PageSetup{}, 5, pupils::classPages(base, pupils), "Класс", {},
            [&](const QString &printer, const QString &path, const QString &title, QString *) {
                job << printer << title;
                QFile::copy(path, dir.filePath("job.pdf"));
                return 7;
            });
        QCOMPARE(job, QStringList({"test", "Класс"}));
        checkClassPdf(dir.filePath("job.pdf"), base, pupils); // one job holds the whole class
        QVERIFY(done.ok);
        QCOMPARE(done.job, 7);
        QCOMPARE(done.pages, 5);
    }

    void anUnwritablePdfIsReported()
    {
        const Certificate base = classBase();
        const auto pupils = classOf(1);
        QString error;
        QVERIFY(!printing::writePages("/nonexistent/dir/class.pdf", page::PageSetup{}, 1,
                                      pupils::classPages(base, pupils), {}, &error));
        QVERIFY2(error.contains("/nonexistent/dir/class.pdf"), qPrintable(error));
    }
};

QTEST_MAIN(PrintJobTest)
#include "test_printjob.moc"
