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

    // The list ends at the first empty column C, a choice looks no further
    // than the first empty column A, and the lower of two equal entries wins.
    void theClassIsWhatTheChooserLists()
    {
        auto rows = classOf(6);
        rows[1][0].clear();   // row 4: no surname, so choosing rows 4 to 8 copies nothing
        rows[4][2].clear();   // row 7: the list ends here
        const Worksheet sheet = sheetOf(rows);
        QCOMPARE(surnames(pupils::listedPupils(sheet)), QStringList({"Ученик1"}));

        rows = classOf(4);
        rows[3] = rows[1];
        rows[3][8] = "Ж-999"; // row 6 repeats row 4's name with another number
        const auto listed = pupils::listedPupils(sheetOf(rows));
        QCOMPARE(surnames(listed), QStringList({"Ученик1", "Ученик2", "Ученик3", "Ученик2"}));
        QCOMPARE(listed[1][8], QString("Ж-999"));
        QCOMPARE(listed[3][8], QString("Ж-999"));
    }

    void selectedRowsOnly()
    {
        auto rows = classOf(6);
        rows[2] = {}; // row 5 is empty: no pupil, no page
        const Worksheet sheet = sheetOf(rows);
        QCOMPARE(surnames(pupils::rowRange(sheet, 4, 7)), QStringList({"Ученик2", "Ученик4", "Ученик5"}));
        QCOMPARE(surnames(pupils::rowRange(sheet, 1, 3)), QStringList({"Ученик1"})); // headers are no pupils
        QCOMPARE(pupils::rowRange(sheet, 9, 20).size(), size_t(0));
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
