#include "bazarig.h"
#include "support/mainwindow.h"

#include "app/windows.h"
#include "register/blankregister.h"
#include "core/certificatefields.h"
#include "core/cp1251.h"
#include "editor/certificatewindow.h"
#include "editor/fieldlabel.h"
#include "widgets/imagebutton.h"
#include "students/pupilchooser.h"
#include "database/pupils.h"
#include "database/spreadsheetml.h"
#include "database/database.h"
#include "database/workbookmodel.h"
#include "support/programfolder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include <memory>
#include <thread>

#include <sys/stat.h>

using namespace gravik;

namespace {

const QStringList kBoxes = {"Text1", "Text2", "Text3", "Text13", "Text14", "Text15", "Text7", "Text18", "Text12"};


// A database file with these pupil rows from row 3.
QByteArray database(const std::vector<QStringList> &rows, const QString &lastHeader = {})
{
    Workbook b = studentdb::builtIn();
    if (!lastHeader.isEmpty())
        b.sheets[0].setText(2, 9, lastHeader);
    for (size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            b.sheets[0].setText(int(r) + 3, c + 1, rows[r][c],
                                c == 8 && plainDecimal(rows[r][c]) ? CellType::Number : CellType::String);
    return spreadsheetml::write(b);
}

QStringList pupil(const QString &a, const QString &b, const QString &c, const QString &reg)
{
    return {a, b, c, a + "-R", b + "-R", c + "-R", "Оспанова Г.К.", "Г.Қ. Оспанова", reg};
}

// Types as the keyboard does, one character a key.
void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Clicks into a box's text part; the widget that has the keyboard then.
QWidget *clickAndFocus(QComboBox *box)
{
    QTest::mouseClick(box->lineEdit(), Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    return QApplication::focusWidget();
}

// The main window wired to the database as the program does it.
struct Rig {
    StudentDatabase db;
    WindowRegistry registry;
    TestMainWindow main{[] { return QStringList{"Times New Roman"}; }};
    Rig()
    {
        registerBaza(registry, db);
        registry.setMainWindow(&main);
        ProgramSteps steps;
        PupilChooser::attach(main.document(), main, db, steps, &registry);
        main.setProgramSteps(steps);
        main.setRegistry(&registry);
    }
    // awaitPupils false: the list comes when the event loop delivers the database.
    bool start(bool awaitPupils = true)
    {
        QString error;
        const bool ok = main.startUp(&error);
        if (!ok)
            qWarning("%s", qPrintable(error));
        if (awaitPupils)
            main.finishStartUp();
        return ok;
    }
    QComboBox *list() { return main.pupilList(); }
    QString box(const QString &name) { return main.box(name)->text(); }
    QStringList boxes()
    {
        QStringList out;
        for (const QString &b : kBoxes)
            out << box(b);
        return out;
    }
    QStringList items()
    {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->itemText(i);
        return out;
    }
    StudentDatabaseWindow *window() { return registry.get<StudentDatabaseWindow>(WindowKind::Baza); }
};

} // namespace

class ChooserTest : public QObject
{
    Q_OBJECT
private slots:
    void startUpChoosesTheFirstPupil();
    void emptyDatabaseKeepsTheStoredValues();
    void choosingCopiesTheLastMatch();
    void updateButtonSeesUnsavedEdits();
    void endOfProgramOffersUnsavedWork();
    void programWiring();
    void kazakhInEitherFormShowsAsKazakh();
    void typingChoosesNothing();
    void pupilsComeOnceTheDatabaseIsRead();
};

void ChooserTest::startUpChoosesTheFirstPupil()
{
    ProgramFolder dir;
    QFile fixture(QStringLiteral(GRAVIK_FIXTURES_DIR "/libreoffice/Baza.xml"));
    QVERIFY(fixture.open(QIODevice::ReadOnly));
    dir.write(QStringLiteral("Baza.xml"), fixture.readAll());
    dir.setLine(QStringLiteral("1.txt"), stateLine(Value::Surname), cp1251::encode(u"Сохранённый"));
    dir.setLine(QStringLiteral("1.txt"), stateLine(Value::RegistrationNumber), "999");
    dir.write(QStringLiteral("data/pw.txt"), "9250\r\n");
    DialogAnswers fakes;
    Rig rig;
    QVERIFY(rig.start());

    QCOMPARE(rig.items(), (QStringList{"Жаксыбеков Нурсултан Абаевич", "Воронцова Елена Павловна", "Ли  Сергеевич",
                                       "Тлеубаева Динара Ерлановна (вторая строка)"}));
    QCOMPARE(rig.list()->currentIndex(), 0);
    QCOMPARE(rig.boxes(), (QStringList{"Жаксыбеков", "Нурсултан", "Абаевич", "Жақсыбеков", "Нұрсұлтан", "Абайұлы",
                                       "Оспанова Г.К.", "Г.Қ. Оспанова", "20417"}));
    // The boxes pass the values on to the page.
    QCOMPARE(rig.main.fieldLabel(fieldOf(Value::Surname))->text(), QStringLiteral("Жаксыбеков"));
    // The grid is the database window's: it was created hidden, with its stored size.
    QVERIFY(rig.db.isInUse());
    auto *baza = rig.registry.existing<StudentDatabaseWindow>(WindowKind::Baza);
    QVERIFY(baza && !baza->isVisible());
    QCOMPARE(baza->outerSizeTwips().width(), 9250);
    QVERIFY(rig.main.button(QStringLiteral("Image1"))->isEnabled());
    QVERIFY(fakes.messages.isEmpty());

    // A patronymic on two lines reaches its single-line box on one.
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(rig.list(), Qt::Key_Down);
    QCOMPARE(rig.list()->currentIndex(), 3);
    QCOMPARE(rig.box(QStringLiteral("Text3")), QStringLiteral("Ерлановна (вторая строка)"));
    QCOMPARE(rig.box(QStringLiteral("Text12")), QStringLiteral("20420"));
    // An empty first name arrives as empty; the string registration number as it is.
    QTest::keyClick(rig.list(), Qt::Key_Up);
    QCOMPARE(rig.box(QStringLiteral("Text2")), QString());
    QCOMPARE(rig.box(QStringLiteral("Text12")), QStringLiteral("№ 20419"));

    // Typing into the list's text chooses nothing.
    rig.list()->lineEdit()->setText(QStringLiteral("Воронцова Елена Павловна"));
    QCOMPARE(rig.box(QStringLiteral("Text1")), QStringLiteral("Ли"));
}

void ChooserTest::emptyDatabaseKeepsTheStoredValues()
{
    ProgramFolder dir; // the shipped Baza.xml: headers only
    dir.setLine(QStringLiteral("1.txt"), stateLine(Value::Surname), cp1251::encode(u"Сохранённый"));
    dir.setLine(QStringLiteral("1.txt"), stateLine(Value::RegistrationNumber), "999");
    DialogAnswers fakes;
    Rig rig;
    QVERIFY(rig.start());
    QCOMPARE(rig.list()->count(), 0);
    QCOMPARE(rig.box(QStringLiteral("Text1")), QStringLiteral("Сохранённый"));
    QCOMPARE(rig.box(QStringLiteral("Text12")), QStringLiteral("999"));

    // A database that cannot be read: told once, the start-up goes on, the list stays empty.
    dir.write(QStringLiteral("Baza.xml"), "<Workbook");
    Rig broken;
    QVERIFY(broken.start());
    QCOMPARE(broken.list()->count(), 0);
    QCOMPARE(broken.box(QStringLiteral("Text1")), QStringLiteral("Сохранённый"));
    QCOMPARE(fakes.messages.size(), 1);
    QTest::mouseClick(broken.main.button(QStringLiteral("Image1")), Qt::LeftButton);
    QCOMPARE(fakes.messages.size(), 1);
}

void ChooserTest::choosingCopiesTheLastMatch()
{
    ProgramFolder dir;
    dir.write(QStringLiteral("Baza.xml"),
              database({pupil("Ким", "Анна", "Ли", "125"), pupil("Пак", "Иван", "Ро", "2"),
                        pupil("Ким", "Анна", "Ли", "126"), pupil("Цой", "Ан", "Ли", "4"),
                        pupil("", "Без", "Фамилии", "5"), pupil("После", "Пропуска", "Фамилии", "6"),
                        pupil("Нет", "Отчества", "", "7"), pupil("За", "Концом", "Списка", "8")}));
    DialogAnswers fakes;
    Rig rig;
    QVERIFY(rig.start());
    QCOMPARE(rig.items(), (QStringList{"Ким Анна Ли", "Пак Иван Ро", "Ким Анна Ли", "Цой Ан Ли", " Без Фамилии",
                                       "После Пропуска Фамилии"}));
    // The first entry's values are those of the lower of the equal rows.
    QCOMPARE(rig.box(QStringLiteral("Text12")), QStringLiteral("126"));

    auto choose = [&](int index) {
        rig.list()->setCurrentIndex(index);
        emit rig.list()->activated(index);
    };
    choose(1);
    QCOMPARE(rig.boxes(), (QStringList{"Пак", "Иван", "Ро", "Пак-R", "Иван-R", "Ро-R", "Оспанова Г.К.",
                                       "Г.Қ. Оспанова", "2"}));
    choose(2);
    QCOMPARE(rig.box(QStringLiteral("Text12")), QStringLiteral("126"));
    // Rows below the first empty surname are listed but never found.
    choose(5);
    QCOMPARE(rig.box(QStringLiteral("Text1")), QStringLiteral("Ким"));
    choose(4);
    QCOMPARE(rig.box(QStringLiteral("Text1")), QStringLiteral("Ким"));

    // The link back to the row is the exact text: case and spaces count.
    const Worksheet &sheet = rig.db.model()->activeSheet();
    QVERIFY(pupils::find(sheet, QStringLiteral("Ким Анна Ли")));
    QVERIFY(!pupils::find(sheet, QStringLiteral("ким Анна Ли")));
    QVERIFY(!pupils::find(sheet, QStringLiteral("Ким  Анна Ли")));
    QCOMPARE(pupils::singleLine(QStringLiteral("a\r\nb\nc\rd\n\ne")), QStringLiteral("a b c d  e"));
}

// Older copies of the program keep ќ for қ; another spreadsheet program may
// have the letters themselves. Both show as Kazakh, and are saved as the former.
void ChooserTest::kazakhInEitherFormShowsAsKazakh()
{
    ProgramFolder dir;
    QByteArray xml = database({pupil(QString::fromUtf8("Жақсыбеков"), QString::fromUtf8("Нұрсұлтан"), "Абай", "1")});
    const QByteArray stored = QString::fromUtf8("Жаќсыбеков").toUtf8();
    QVERIFY(xml.contains(stored + "</Data>") && xml.contains(stored + "-R</Data>"));
    xml.replace(stored + "</Data>", QString::fromUtf8("Жақсыбеков</Data>").toUtf8()); // column A typed elsewhere
    dir.write(QStringLiteral("Baza.xml"), xml);
    DialogAnswers fakes;
    Rig rig;
    QVERIFY(rig.start());
    QCOMPARE(rig.items(), QStringList{QString::fromUtf8("Жақсыбеков Нұрсұлтан Абай")});
    QCOMPARE(rig.box(QStringLiteral("Text13")), QString::fromUtf8("Жақсыбеков-R"));
    QCOMPARE(rig.main.fieldLabel(17)->text(), QString::fromUtf8("Жақсыбеков-R"));
    const QAbstractItemModel *grid = rig.window()->findChild<QTableView *>("Spreadsheet1")->model();
    QCOMPARE(grid->index(2, 0).data().toString(), QString::fromUtf8("Жақсыбеков"));
    QCOMPARE(grid->index(2, 3).data().toString(), QString::fromUtf8("Жақсыбеков-R"));

    QVERIFY(rig.window()->save());
    const QByteArray saved = dir.read(QStringLiteral("Baza.xml"));
    QVERIFY(saved.contains(stored + "</Data>") && saved.contains(stored + "-R</Data>"));
    QVERIFY(!saved.contains(QString::fromUtf8("қ").toUtf8()));
}

void ChooserTest::typingChoosesNothing()
{
    ProgramFolder dir;
    dir.write(QStringLiteral("Baza.xml"), database({pupil("Ким", "Анна", "Ли", "1"), pupil("Пак", "Иван", "Ро", "2"),
                                                    pupil("Ахметов", "Ерлан", "Болатович", "3")}));
    DialogAnswers fakes;
    Rig rig;
    QVERIFY(rig.start());
    rig.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.main));
    const QStringList before = rig.boxes();
    // A click into the text part, then keys to whatever has the keyboard.
    QComboBox *list = rig.list();
    QWidget *text = list->lineEdit();
    QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(5, text->height() / 2));
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
    typeText(focus, QString::fromUtf8("Ахм"));
    QTest::keyClick(focus, Qt::Key_Return);
    QCOMPARE(list->currentText(), QString::fromUtf8("Ахм")); // nothing completed
    typeText(focus, QString::fromUtf8("етов Ерлан Болатович"));
    QTest::keyClick(focus, Qt::Key_Return);
    rig.main.box(QStringLiteral("Text4"))->setFocus(); // leaving the box
    QCOMPARE(rig.boxes(), before);
    // The arrow keys choose from the list.
    QTest::keyClick(clickAndFocus(list), Qt::Key_Down);
    QCOMPARE(rig.box(QStringLiteral("Text12")), QStringLiteral("2"));
}

void ChooserTest::updateButtonSeesUnsavedEdits()
{
    ProgramFolder dir;
    dir.write(QStringLiteral("Baza.xml"), database({pupil("Ким", "Анна", "Ли", "1")}));
    DialogAnswers fakes;
    Rig rig;
    QVERIFY(rig.start());
    WorkbookModel *m = rig.db.model();
    QVERIFY(m->setData(m->index(2, 0), QStringLiteral("Кимова")));
    QVERIFY(m->setData(m->index(3, 0), QStringLiteral("Пак")));
    QVERIFY(m->setData(m->index(3, 2), QStringLiteral("Ро")));
    QCOMPARE(rig.items(), QStringList{QStringLiteral("Ким Анна Ли")}); // until rebuilt

    // Unsaved edits are what the update button sees; it chooses the first entry.
    rig.main.box(QStringLiteral("Text1"))->setText(QStringLiteral("другое"));
    QTest::mouseClick(rig.main.button(QStringLiteral("Image1")), Qt::LeftButton);
    QCOMPARE(rig.items(), (QStringList{"Кимова Анна Ли", "Пак  Ро"}));
    QCOMPARE(rig.box(QStringLiteral("Text1")), QStringLiteral("Кимова"));

    // The entry chosen before an edit no longer matches: nothing is copied.
    QVERIFY(m->setData(m->index(2, 1), QStringLiteral("Алла")));
    rig.main.box(QStringLiteral("Text1"))->setText(QStringLiteral("другое"));
    emit rig.list()->activated(0);
    QCOMPARE(rig.box(QStringLiteral("Text1")), QStringLiteral("другое"));

    // A closed database window is created again, from the file.
    fakes.answer = false;
    QVERIFY(rig.window()->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!rig.db.isInUse());
    QTest::mouseClick(rig.main.button(QStringLiteral("Image1")), Qt::LeftButton);
    QVERIFY(rig.db.isInUse());
    QVERIFY(rig.registry.existing(WindowKind::Baza));
    QCOMPARE(rig.items(), QStringList{QStringLiteral("Ким Анна Ли")});
}

void ChooserTest::endOfProgramOffersUnsavedWork()
{
    ProgramFolder dir;
    DialogAnswers fakes;
    {
        // Nothing unsaved: the end asks nothing.
        Rig rig;
        QVERIFY(rig.start());
        rig.main.shutDown();
        QCOMPARE(fakes.asked.size(), 0);
    }
    const QByteArray pw = dir.read(QStringLiteral("data/pw.txt"));
    Rig rig;
    QVERIFY(rig.start());
    rig.window()->setOuterWidthTwips(9000);
    WorkbookModel *m = rig.db.model();
    QVERIFY(m->setData(m->index(2, 0), QStringLiteral("Ким")));
    rig.main.close(); // the close box: state file, then the question, once
    QCOMPARE(fakes.asked.size(), 1);
    rig.main.shutDown();
    QCOMPARE(fakes.asked.size(), 1);
    QCOMPARE(spreadsheetml::readFile(dir.file(QStringLiteral("Baza.xml")))->active()->text(3, 1), QStringLiteral("Ким"));
    // The database window's own closing step does not run: its size is not stored.
    QCOMPARE(dir.read(QStringLiteral("data/pw.txt")), pw);
}

void ChooserTest::programWiring()
{
    // The program's own registration: the start-up fills the list from Baza.xml.
    ProgramFolder dir;
    dir.write(QStringLiteral("Baza.xml"),
              database({pupil("Ким", "Анна", "Ли", "1"), pupil("Пак", "Иван", "Ро", "2")}, QStringLiteral("старый")));
    DialogAnswers fakes;
    StudentDatabase db;
    blanks::Register blankRegister;
    WindowRegistry registry;
    TestMainWindow main([] { return QStringList{"Times New Roman"}; });
    registerWindows(registry, main, db, blankRegister);
    QString error;
    QVERIFY2(main.startUp(&error), qPrintable(error));
    // The list comes once the database has been read, as the program's event loop runs.
    QTRY_COMPARE(main.pupilList()->count(), 2);
    QCOMPARE(main.box(QStringLiteral("Text1"))->text(), QStringLiteral("Ким"));
    QVERIFY(registry.existing(WindowKind::Baza) && !registry.existing(WindowKind::Baza)->isVisible());
    // The stored language has rewritten the header cells in Russian.
    QCOMPARE(db.model()->cellText(2, 9), QStringLiteral("Регистрационный номер"));
    QVERIFY(!db.isModified());
    registry.destroyAll();
}

void ChooserTest::pupilsComeOnceTheDatabaseIsRead()
{
    // Baza.xml as a pipe: the database arrives when the test writes it.
    ProgramFolder dir;
    dir.setLine(QStringLiteral("1.txt"), stateLine(Value::Surname), cp1251::encode(u"Сохранённый"));
    const QString pipe = dir.file(QStringLiteral("Baza.xml"));
    const QByteArray pupils = database({pupil("Ким", "Анна", "Ли", "1"), pupil("Пак", "Иван", "Ро", "2")});
    const auto makePipe = [&] {
        QFile::remove(pipe);
        return ::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0;
    };
    const auto feed = [&] {
        QFile f(pipe);
        return f.open(QIODevice::WriteOnly) && f.write(pupils) == pupils.size();
    };
    const QStringList entries = {"Ким Анна Ли", "Пак Иван Ро"};
    DialogAnswers fakes;
    {
        // The window shows the stored values meanwhile, and what the operator
        // types then is not overwritten by the first pupil.
        QVERIFY(makePipe());
        Rig rig;
        QVERIFY(rig.start(false));
        rig.main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.main));
        QCOMPARE(rig.list()->count(), 0);
        QLineEdit *surname = rig.main.box(QStringLiteral("Text1"));
        QCOMPARE(surname->text(), QStringLiteral("Сохранённый"));
        QTest::mouseClick(surname, Qt::LeftButton);
        QTest::keyPress(surname, Qt::Key_Control);
        QTest::keyClick(surname, Qt::Key_A, Qt::ControlModifier);
        QTest::keyRelease(surname, Qt::Key_Control);
        typeText(surname, QStringLiteral("Новикова"));
        QVERIFY(feed());
        QTRY_COMPARE(rig.items(), entries);
        QCOMPARE(surname->text(), QStringLiteral("Новикова"));
        QCOMPARE(rig.box(QStringLiteral("Text2")), QString());
    }
    {
        // Untouched: the first pupil, as at every start.
        QVERIFY(makePipe());
        Rig rig;
        QVERIFY(rig.start(false));
        QVERIFY(feed());
        QTRY_COMPARE(rig.box(QStringLiteral("Text1")), QStringLiteral("Ким"));
        QCOMPARE(rig.items(), entries);
        QCOMPARE(rig.list()->currentIndex(), 0);
    }
    {
        // Closed before the database came: the end waits for it, and the
        // state file keeps the first pupil as after any start.
        QVERIFY(makePipe());
        Rig rig;
        QVERIFY(rig.start(false));
        std::thread feeder([&] { feed(); });
        QVERIFY(rig.main.shutDown());
        feeder.join();
        QCOMPARE(dir.read(QStringLiteral("1.txt")).split('\n').at(stateLine(Value::Surname) - 1),
                 cp1251::encode(u"Ким") + '\r');
    }
}

QTEST_MAIN(ChooserTest)
#include "test_chooser.moc"
