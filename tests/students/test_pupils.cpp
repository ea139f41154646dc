#include "students/pupils.h"
#include "students/spreadsheetml.h"
#include "students/studentdatabase.h"

#include <QtTest>

using namespace gravik;

namespace {

// A database sheet: row r of the list is row r + 3 of the sheet, columns A to I.
Worksheet sheetOf(const std::vector<QStringList> &rows)
{
    Workbook b = studentdb::builtIn();
    Worksheet &s = b.sheets[0];
    for (size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            s.setText(int(r) + 3, c + 1, rows[r][c]);
    return s;
}

QStringList pupil(const QString &surname, const QString &name, const QString &patronymic, const QString &tag)
{
    return {surname, name, patronymic, surname + "-R", name + "-R", patronymic + "-R", "кл " + tag, "кл-R " + tag,
            tag};
}

} // namespace

class PupilsTest : public QObject
{
    Q_OBJECT
private slots:
    void listEndsAtFirstEmptyPatronymic();
    void searchEndsAtFirstEmptySurname();
    void lastOfEqualEntriesWins();
    void entriesAreTextJoinedBySpaces();
    void emptyDatabase();
    void lineBreaksBecomeSpaces();
};

void PupilsTest::listEndsAtFirstEmptyPatronymic()
{
    QStringList gap = pupil("Нет", "Отчества", "", "6");
    const Worksheet s = sheetOf({pupil("Ким", "Анна", "Ли", "3"), pupil("Пак", "Иван", "Ро", "4"),
                                 pupil("Ан", "Юрий", "Ким", "5"), gap, pupil("После", "Пропуска", "Есть", "7")});
    QCOMPARE(pupils::listEntries(s), (QStringList{"Ким Анна Ли", "Пак Иван Ро", "Ан Юрий Ким"}));
    // The search has its own end: row 6 has a surname, so row 7 is still found.
    const auto found = pupils::find(s, QStringLiteral("После Пропуска Есть"));
    QVERIFY(found);
    QCOMPARE((*found)[8], QStringLiteral("7"));
}

void PupilsTest::searchEndsAtFirstEmptySurname()
{
    // Row 4 has no surname but a patronymic: listed, yet the search stops there.
    const Worksheet s = sheetOf({pupil("Ким", "Анна", "Ли", "3"), pupil("", "Без", "Фамилии", "4"),
                                 pupil("Пак", "Иван", "Ро", "5"), pupil("Ан", "Юрий", "Ким", "6")});
    const QStringList list = pupils::listEntries(s);
    QCOMPARE(list, (QStringList{"Ким Анна Ли", " Без Фамилии", "Пак Иван Ро", "Ан Юрий Ким"}));
    const auto first = pupils::find(s, list[0]);
    QVERIFY(first);
    QCOMPARE(*first, (pupils::StudentRecord{"Ким", "Анна", "Ли", "Ким-R", "Анна-R", "Ли-R", "кл 3", "кл-R 3", "3"}));
    for (int i = 1; i < 4; ++i)
        QVERIFY2(!pupils::find(s, list[i]), qPrintable(list[i]));
    // An entry that matches nothing (the grid changed since the list was built).
    QVERIFY(!pupils::find(s, QStringLiteral("Ким Анна")));
}

void PupilsTest::lastOfEqualEntriesWins()
{
    const Worksheet s = sheetOf({pupil("Ким", "Анна", "Ли", "первая"), pupil("Пак", "Иван", "Ро", "x"),
                                 pupil("Ким", "Анна", "Ли", "вторая")});
    const QStringList list = pupils::listEntries(s);
    QCOMPARE(list.count(QStringLiteral("Ким Анна Ли")), 2);
    QCOMPARE((*pupils::find(s, list[0]))[8], QStringLiteral("вторая"));
    QCOMPARE((*pupils::find(s, list[2]))[8], QStringLiteral("вторая"));
    // Case and spaces count.
    QVERIFY(!pupils::find(s, QStringLiteral("ким Анна Ли")));
    QVERIFY(!pupils::find(s, QStringLiteral("Ким  Анна Ли")));
}

void PupilsTest::entriesAreTextJoinedBySpaces()
{
    Worksheet s = sheetOf({pupil("Ли", "", "Сергеевич", "1")});
    s.setText(3, 9, QStringLiteral("125"), CellType::Number);
    QCOMPARE(pupils::listEntries(s), QStringList{QStringLiteral("Ли  Сергеевич")});
    const auto rec = pupils::find(s, QStringLiteral("Ли  Сергеевич"));
    QVERIFY(rec);
    QCOMPARE((*rec)[1], QString());
    QCOMPARE((*rec)[8], QStringLiteral("125"));

    // A number stored as such in the file comes out as its plain decimal text.
    const auto lo = spreadsheetml::readFile(QStringLiteral(GRAVIK_FIXTURES_DIR "/libreoffice/Baza.xml"));
    QVERIFY(lo);
    const QStringList list = pupils::listEntries(*lo->active());
    QCOMPARE(list.size(), 4);
    QCOMPARE(list[2], QStringLiteral("Ли  Сергеевич"));
    QCOMPARE((*pupils::find(*lo->active(), list[0]))[8], QStringLiteral("20417"));
    QCOMPARE((*pupils::find(*lo->active(), list[1]))[8], QStringLiteral("0020418"));
}

void PupilsTest::emptyDatabase()
{
    const Workbook b = studentdb::builtIn();
    QVERIFY(pupils::listEntries(*b.active()).isEmpty());
    QVERIFY(!pupils::find(*b.active(), QStringLiteral("  ")));
    QVERIFY(!pupils::find(*b.active(), QString()));
}

void PupilsTest::lineBreaksBecomeSpaces()
{
    QCOMPARE(pupils::singleLine(QStringLiteral("a\r\nb\nc\rd\n\ne")), QStringLiteral("a b c d  e"));
    QCOMPARE(pupils::singleLine(QStringLiteral("без переноса")), QStringLiteral("без переноса"));

    const auto lo = spreadsheetml::readFile(QStringLiteral(GRAVIK_FIXTURES_DIR "/libreoffice/Baza.xml"));
    QVERIFY(lo);
    const QStringList list = pupils::listEntries(*lo->active());
    QCOMPARE(list[3], QStringLiteral("Тлеубаева Динара Ерлановна (вторая строка)"));
    const auto rec = pupils::find(*lo->active(), list[3]);
    QVERIFY(rec);
    QCOMPARE((*rec)[2], QStringLiteral("Ерлановна\n(вторая строка)")); // the box flattens it
    QCOMPARE((*rec)[8], QStringLiteral("20420"));
}

QTEST_GUILESS_MAIN(PupilsTest)
#include "test_pupils.moc"
