#include "printing/pdfwords.h"
#include "register/issuing.h"
#include "register/registerbook.h"
#include "register/registercsv.h"

#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace gravik;
using namespace gravik::blanks;

namespace {

PrintedPage pupil(int n)
{
    return {QStringLiteral("Фамилия%1").arg(n), QStringLiteral("Имя%1").arg(n), QStringLiteral("Отчество%1").arg(n),
            QStringLiteral("Р-%1").arg(n)};
}

std::vector<PrintedPage> pages(int count)
{
    std::vector<PrintedPage> out;
    for (int n = 1; n <= count; ++n)
        out.push_back(pupil(n));
    return out;
}

BlankNumber blank(const char *text)
{
    return *BlankNumber::parse(QString::fromUtf8(text));
}

printing::Outcome accepted(int job)
{
    printing::Outcome out;
    out.ok = true;
    out.printer = QStringLiteral("gravik-test");
    out.job = job;
    return out;
}

} // namespace

class RegisterTest : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    int files = 0;

    // A register of its own in a new file.
    QString newPath() { return dir.filePath(QStringLiteral("r%1/register.sqlite").arg(++files)); }

private slots:
    void blankNumbers()
    {
        const BlankNumber b = blank("ЖОБ 0012345");
        QCOMPARE(b.series, QString("ЖОБ"));
        QCOMPARE(b.digits, QString("0012345"));
        QCOMPARE(b.plus(1).text(), QString("ЖОБ 0012346"));
        QCOMPARE(blank("ЖОБ0099").plus(1).text(), QString("ЖОБ 0100"));
        QCOMPARE(blank("ҚАЗ 99").plus(1).text(), QString("ҚАЗ 100")); // outgrows its digits
        for (const char *bad : {"", "0012345", "ЖОБ", "ЖОБ 12a", "Ж-ОБ 1", "ЖОБ 1234567890123456"})
            QVERIFY2(!BlankNumber::parse(QString::fromUtf8(bad)), bad);
        QCOMPARE(blanksText({b, b.plus(1), b.plus(2), blank("АБ 7")}), QString("ЖОБ 0012345–0012347, АБ 7"));
    }

    void aClassIsRecordedOnConsecutiveBlanks()
    {
        Register reg(newPath());
        QVERIFY(reg.use());
        QVERIFY(!reg.nextBlank());
        QString error;
        QVERIFY(!reg.record(pages(2), "q", 1, std::nullopt, &error));
        QVERIFY2(error.contains("не задан следующий бланк"), qPrintable(error));

        QVERIFY(reg.setNextBlank(blank("ЖОБ 0012345"), &error));
        const auto used = reg.record(pages(30), "gravik-test", 18, std::nullopt, &error);
        QVERIFY2(used, qPrintable(error));
        QCOMPARE(used->front().text(), QString("ЖОБ 0012345"));
        QCOMPARE(used->back().text(), QString("ЖОБ 0012374"));
        QCOMPARE(reg.nextBlank()->text(), QString("ЖОБ 0012375"));

        // Read back from the file by another connection, as gravik-print would.
        Register again(reg.path());
        QVERIFY(again.use());
        const auto entries = again.entries();
        QCOMPARE(entries.size(), size_t(30));
        for (int i = 0; i < 30; ++i) {
            const Entry &e = entries[size_t(i)];
            QCOMPARE(e.blank, BlankNumber({"ЖОБ", QStringLiteral("%1").arg(12345 + i, 7, 10, QChar('0'))}));
            QCOMPARE(e.pupil.surname, pupil(i + 1).surname);
            QCOMPARE(e.pupil.name, pupil(i + 1).name);
            QCOMPARE(e.pupil.patronymic, pupil(i + 1).patronymic);
            QCOMPARE(e.pupil.registration, pupil(i + 1).registration);
            QCOMPARE(e.printer, QString("gravik-test"));
            QCOMPARE(e.job, 18);
            QCOMPARE(e.state, State::Issued);
            QVERIFY(qAbs(e.recorded.secsTo(QDateTime::currentDateTime())) < 60);
        }
        QCOMPARE(again.integrity(), QString("ok"));
    }

    void aBlankIsNeverRecordedTwice()
    {
        Register reg(newPath());
        QVERIFY(reg.use());
        QString error;
        QVERIFY(reg.record(pages(3), "q", 1, blank("АА 0005"), &error));
        QVERIFY(!reg.rangeFree(blank("АА 0007"), 2, &error));
        QVERIFY2(error.contains("АА 0007"), qPrintable(error));
        QVERIFY(reg.rangeFree(blank("АА 0008"), 2, &error));
        QVERIFY(reg.rangeFree(blank("АБ 0005"), 3, &error)); // another series

        // Overlapping at its end: nothing of the job goes in, the next blank stays.
        QVERIFY(!reg.record(pages(3), "q", 2, blank("АА 0003"), &error));
        QVERIFY2(error.contains("АА 0005 уже есть"), qPrintable(error));
        QCOMPARE(reg.count(), 3);
        QCOMPARE(reg.nextBlank()->text(), QString("АА 0008"));
        // The same number written with other zeros is the same blank.
        QVERIFY(!reg.writeOff(blank("АА 06"), "потерян", &error));
        // Not even by hand.
        QSqlDatabase raw = QSqlDatabase::addDatabase("QSQLITE", "raw");
        raw.setDatabaseName(reg.path());
        QVERIFY(raw.open());
        {
            QSqlQuery q(raw);
            QVERIFY(!q.exec("INSERT INTO entries (series, digits, value, recorded, state) "
                            "VALUES ('АА', '5', 5, '2026-01-01 00:00:00', 'issued')"));
            QVERIFY(!q.exec("DELETE FROM entries WHERE id = 1")); // entries are never removed
        }
        raw.close();
        raw = QSqlDatabase();
        QSqlDatabase::removeDatabase("raw");
        QCOMPARE(reg.count(), 3);
    }

    void aRefusedJobTakesNoBlank()
    {
        Register reg(newPath());
        QVERIFY(reg.use());
        QString error;
        QVERIFY(reg.setNextBlank(blank("ЖОБ 0000100"), &error));
        printing::Outcome refused;
        refused.printer = "gravik-test";
        refused.error = "очередь не принимает задания";
        Issue issue = printOnBlanks(reg, pages(5), std::nullopt, [&] { return refused; });
        QVERIFY(!issue.out.ok && issue.blanks.empty());
        QCOMPARE(reg.count(), 0);
        QCOMPARE(reg.nextBlank()->text(), QString("ЖОБ 0000100"));

        // A taken blank stops the job before it is sent.
        QVERIFY(reg.writeOff(blank("ЖОБ 0000102"), "порван", &error));
        bool sent = false;
        issue = printOnBlanks(reg, pages(5), std::nullopt, [&] {
            sent = true;
            return accepted(7);
        });
        QVERIFY(!sent);
        QVERIFY2(issue.out.error.contains("ЖОБ 0000102"), qPrintable(issue.out.error));

        issue = printOnBlanks(reg, pages(2), std::nullopt, [&] { return accepted(8); });
        QVERIFY(issue.out.ok);
        QCOMPARE(blanksText(issue.blanks), QString("ЖОБ 0000100–0000101"));
    }

    void spoilingReprintingAndWritingOff()
    {
        Register reg(newPath());
        QVERIFY(reg.use());
        QSignalSpy changes(&reg, &Register::changed);
        QString error;
        QVERIFY(reg.setNextBlank(blank("ЖОБ 0000010"), &error));
        QVERIFY(reg.record({pupil(1), pupil(2)}, "q", 3, std::nullopt, &error));
        const qint64 jammed = reg.entries()[0].id;

        QVERIFY(reg.spoil(jammed, "  замялся в принтере ", &error));
        QVERIFY(!reg.spoil(jammed, "ещё раз", &error)); // already spoiled
        // Reprinting the pupil takes the next blank, an entry of its own.
        QVERIFY(reg.record({pupil(1)}, "q", 4, std::nullopt, &error));
        // A blank torn before it was printed: the next one, so the next moves on.
        QVERIFY(reg.writeOff(blank("ЖОБ 0000013"), "порван", &error));
        QCOMPARE(reg.nextBlank()->text(), QString("ЖОБ 0000014"));
        QCOMPARE(changes.count(), 5);

        const auto e = reg.entries();
        QCOMPARE(e.size(), size_t(4));
        QCOMPARE(e[0].state, State::Spoiled);
        QCOMPARE(e[0].reason, QString("замялся в принтере"));
        QVERIFY(e[0].changed.isValid());
        QCOMPARE(e[2].blank.text(), QString("ЖОБ 0000012"));
        QCOMPARE(e[2].pupil.surname, pupil(1).surname);
        QCOMPARE(e[3].state, State::WrittenOff);
        QCOMPARE(e[3].job, 0);

        // A spoil marked by mistake is taken back by another change; both stay on record.
        QVERIFY(reg.restore(jammed, &error));
        const auto h = reg.history(jammed);
        QCOMPARE(h.size(), size_t(2));
        QCOMPARE(h[0].state, State::Spoiled);
        QCOMPARE(h[0].reason, QString("замялся в принтере"));
        QCOMPARE(h[1].state, State::Issued);

        Filter f;
        f.state = State::Issued;
        QCOMPARE(reg.count(f), 3);
        f.search = "фамилия1"; // any case, Cyrillic too
        QCOMPARE(reg.count(f), 2);
        f = {};
        f.search = "жоб 0000013";
        QCOMPARE(reg.count(f), 1);
        f = {};
        f.from = QDate::currentDate().addDays(1);
        QCOMPARE(reg.count(f), 0);
        f.from = f.to = QDate::currentDate();
        QCOMPARE(reg.count(f), 4);
    }

    void gapsOfEachSeries()
    {
        Register reg(newPath());
        QVERIFY(reg.use());
        QString error;
        for (const char *b : {"ЖОБ 001", "ЖОБ 002", "ЖОБ 005", "ЖОБ 009", "АБ 10", "АБ 11"})
            QVERIFY(reg.record({pupil(1)}, "q", 1, blank(b), &error));
        QStringList gaps;
        for (const Gap &g : reg.gaps())
            gaps << runText(g.first, g.last);
        QCOMPARE(gaps, QStringList({"ЖОБ 003–004", "ЖОБ 006–008"}));
    }

    void anUnreadableFileIsKeptAside()
    {
        const QString path = newPath();
        QDir().mkpath(QFileInfo(path).path());
        const QByteArray junk = QByteArray("not a register\n").repeated(300);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(junk);
        f.close();

        Register reg(path);
        QSignalSpy moved(&reg, &Register::movedAside);
        QString error;
        QVERIFY2(reg.use(&error), qPrintable(error));
        QCOMPARE(moved.count(), 1);
        QCOMPARE(reg.keptAside(), path + ".unreadable");
        QFile kept(reg.keptAside());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), junk);
        // A new register in its place works.
        QVERIFY(reg.record({pupil(1)}, "q", 1, blank("АБ 1"), &error));
        QCOMPARE(reg.integrity(), QString("ok"));

        // A second bad file does not overwrite the first one kept.
        Register later(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(junk.left(100));
        f.close();
        QFile::remove(path + "-wal");
        QFile::remove(path + "-shm");
        QVERIFY(later.use(&error));
        QVERIFY(later.keptAside().startsWith(path + ".unreadable-"));
        QVERIFY(kept.seek(0));
        QCOMPARE(kept.readAll(), junk);
    }

    void csvForASpreadsheet()
    {
        Entry e;
        e.blank = blank("ЖОБ 0012345");
        e.recorded = QDateTime(QDate(2026, 6, 20), QTime(10, 5, 7));
        e.pupil = {"Абаева", "Айгерім", "Ерланқызы", "12-345"};
        e.printer = "gravik-test";
        e.job = 18;
        Entry w = e;
        w.pupil = {"O\"Brien, Jr", "", "", ""};
        w.job = 0;
        w.state = State::WrittenOff;
        w.reason = "порван\nпри подаче";
        const QByteArray bytes = csv({e, w});
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split("\r\n");
        QCOMPARE(lines.value(0), QString("blank,date,surname,name,patronymic,registration,printer,job,state,reason"));
        QCOMPARE(lines.value(1), QString("ЖОБ 0012345,2026-06-20 10:05:07,Абаева,Айгерім,Ерланқызы,12-345,gravik-test,18,"
                                         "issued,"));
        QCOMPARE(lines.value(2),
                 QString("ЖОБ 0012345,2026-06-20 10:05:07,\"O\"\"Brien, Jr\",,,,gravik-test,,written-off,"
                         "\"порван\nпри подаче\""));
        QCOMPARE(lines.size(), 4); // the last line ended too
        QCOMPARE(lines.value(3), QString());
    }

    // The book lists the issued certificates, the act the rest, with their
    // headers on every page; the text layer has them word for word.
    void theBookAndTheActAsText()
    {
        std::vector<Entry> entries;
        for (int i = 0; i < 45; ++i) {
            Entry e;
            e.id = i + 1;
            e.blank = blank("ЖОБ 0012345").plus(i);
            e.recorded = QDateTime(QDate(2026, 6, 20), QTime(9, 0));
            e.pupil = pupil(i + 1);
            e.state = i == 3 ? State::Spoiled : State::Issued;
            e.reason = i == 3 ? "Замялся" : "";
            entries.push_back(e);
        }
        const page::PageSetup setup;
        const Table book = bookTable(entries, "Книга", {"№", "ФИО", "Рег", "Бланк", "Дата", "Подпись"});
        QCOMPARE(book.rows.size(), size_t(44));
        const int pages = pageCount(book, setup);
        QVERIFY(pages == 2);
        const QString path = dir.filePath("book.pdf");
        QString error;
        {
            page::PdfFile pdf;
            QVERIFY(pdf.open(path, setup, &error));
            const page::PageWriter write = tablePages(book, setup);
            for (int i = 0; i < pages; ++i)
                QVERIFY(write(pdf, i, &error));
            QVERIFY2(pdf.commit(&error), qPrintable(error));
        }
        const PdfText text = PdfText::read(path);
        QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
        QCOMPARE(text.pages.size(), size_t(2));
        for (int p = 0; p < 2; ++p)
            QVERIFY(text.find("Книга", 0, p) && text.find("Подпись", 0, p));
        const auto first = text.find("Фамилия1"), second = text.find("Имя1");
        QVERIFY(first && second && first->xMax < second->xMin && std::abs(first->yMin - second->yMin) < 1);
        QVERIFY(text.find("0012345") && text.find("Р-1") && text.find("20.06.2026"));
        QVERIFY(!text.find("Фамилия4")); // spoiled: not in the book
        QVERIFY(text.find("Фамилия45", 0, 1));

        const Table act = actTable(entries, "Акт", {"№", "Бланк", "Дата", "ФИО", "Состояние", "Причина"},
                                   {"выдан", "испорчен", "списан"});
        QCOMPARE(act.rows.size(), size_t(1));
        QCOMPARE(act.rows[0], QStringList({"1", "ЖОБ 0012348", "20.06.2026", "Фамилия4 Имя4 Отчество4", "испорчен",
                                           "Замялся"}));
    }
};

QTEST_MAIN(RegisterTest)
#include "test_register.moc"
