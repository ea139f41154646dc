#include "support/dialoganswers.h"
#include "support/programfolder.h"
#include "support/startprogram.h"

#include "printdialog/printdialog.h"
#include "registerwindow/registerwindow.h"
#include "students/classprint.h"
#include "students/studentdatabasewindow.h"
#include "widgets/imagebutton.h"
#include "printing/classrig.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>

using namespace gravik;
using blanks::BlankNumber;

namespace {

void click(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

// An option is chosen by a click on its round mark, at its left.
void choose(QRadioButton *option)
{
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(5, option->height() / 2));
}

// Types into a box as the operator does: a click into it, then the keys.
void typeInto(QLineEdit *box, const QString &text)
{
    click(box);
    box->selectAll();
    for (QChar c : text) // any letter, as a keyboard layout gives it
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The program over a class of four, its register with the next blank set.
struct Rig {
    ProgramFolder folder;
    DialogAnswers answers;
    std::vector<pupils::StudentRecord> rows = classOf(4);
    std::unique_ptr<TestProgram> program;
    const ClassPrint::Printer standardPrinter = ClassPrint::printer();

    Rig()
    {
        folder.write("Baza.xml", databaseOf(rows));
        program = std::make_unique<TestProgram>();
        program->start();
    }
    ~Rig()
    {
        program.reset();
        ClassPrint::printer() = standardPrinter;
    }
    blanks::Register &reg() { return program->blankRegister; }
    RegisterWindow *window() { return program->registry.existing<RegisterWindow>(WindowKind::Register); }
    template <class W> W *in(QWidget *w, const char *name) { return w->findChild<W *>(QString::fromLatin1(name)); }
    // Fills the register with count entries in one job, every 500th spoiled.
    void fill(int count)
    {
        QVERIFY(reg().use());
        std::vector<blanks::PrintedPage> pages;
        for (int i = 1; i <= count; ++i)
            pages.push_back({QStringLiteral("Ученик%1").arg(i), "Имя", "Отч", QStringLiteral("Р-%1").arg(i)});
        QString error;
        QVERIFY2(reg().record(pages, "gravik-test", 5, BlankNumber{"ЖОБ", "0000001"}, &error), qPrintable(error));
        for (int i = 500; i <= count; i += 500)
            QVERIFY(reg().spoil(i, "замялся", &error));
    }
    RegisterWindow *openFromMain()
    {
        click(program->main.findChild<ImageButton *>("Image25"));
        return window();
    }
};

} // namespace

class RegisterWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void opensFromTheMainAndTheDatabaseWindow()
    {
        Rig rig;
        QVERIFY(!QFile::exists(rig.folder.file("data/register.sqlite"))); // made on first use
        RegisterWindow *w = rig.openFromMain();
        QVERIFY(w && w->isVisible());
        QVERIFY(QFile::exists(rig.folder.file("data/register.sqlite")));
        QCOMPARE(w->windowTitle(), QString("Журнал бланков"));
        w->close();
        QTRY_VERIFY(!rig.window());
        click(rig.program->main.findChild<ImageButton *>("Image8"));
        auto *baza = rig.program->registry.existing<StudentDatabaseWindow>(WindowKind::Baza);
        QVERIFY(baza && baza->isVisible());
        ImageButton *b = baza->findChild<ImageButton *>("Image9");
        QCOMPARE(b->toolTip(), QString("Журнал бланков"));
        click(b);
        QVERIFY(rig.window() && rig.window()->isVisible());
    }

    // Ten thousand entries: the window shows the newest at the bottom, and
    // reads only the rows in sight.
    void manyEntriesNewestLastFilteredAndSearched()
    {
        Rig rig;
        rig.fill(10000);
        QElapsedTimer t;
        t.start();
        RegisterWindow *w = rig.openFromMain();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        qInfo("window open on 10,000 entries: %lld ms", t.elapsed());
        QTableView *table = w->table();
        QCOMPARE(table->model()->rowCount(), 10000);
        const int lastShown = table->rowAt(table->viewport()->height() - 2);
        QCOMPARE(lastShown, 9999);
        QCOMPARE(table->model()->index(lastShown, blanks::RegisterModel::Blank).data().toString(), QString("ЖОБ 0010000"));
        QCOMPARE(table->model()->index(lastShown, blanks::RegisterModel::Surname).data().toString(), QString("Ученик10000"));
        QCOMPARE(table->model()->index(lastShown, blanks::RegisterModel::StateColumn).data().toString(), QString("испорчен"));

        typeInto(rig.in<QLineEdit>(w, "Text3"), "ученик50");
        QCOMPARE(table->model()->rowCount(), 111); // 50, 500..509, 5000..5099
        auto *state = rig.in<QComboBox>(w, "Combo1");
        state->setFocus();
        QTest::keyClick(state, Qt::Key_Down); // "выдан"
        QCOMPARE(state->currentText(), QString("выдан"));
        QCOMPARE(table->model()->rowCount(), 109); // 500 and 5000 spoiled
        QCOMPARE(rig.in<QLabel>(w, "Label2")->text(), QString("Пропусков нет"));
    }

    void spoilWriteOffAndTheNextBlank()
    {
        Rig rig;
        rig.fill(3);
        QVERIFY(rig.reg().setNextBlank({"ЖОБ", "0000004"}, nullptr));
        RegisterWindow *w = rig.openFromMain();
        QTableView *table = w->table();
        table->selectRow(0);
        rig.answers.texts = {"Замялся в принтере"};
        click(rig.in<QPushButton>(w, "Spoil"));
        QCOMPARE(table->model()->index(0, blanks::RegisterModel::StateColumn).data().toString(), QString("испорчен"));
        QCOMPARE(table->model()->index(0, blanks::RegisterModel::Reason).data().toString(), QString("Замялся в принтере"));
        table->selectRow(1);
        rig.answers.texts = {"  "};
        click(rig.in<QPushButton>(w, "Spoil"));
        QCOMPARE(rig.answers.messages.value(0), QString("Бланк не отмечен: укажите причину."));
        QCOMPARE(rig.reg().entries()[1].state, blanks::State::Issued);

        // The next blank is offered for writing off; a later one leaves a gap.
        QCOMPARE(rig.in<QLineEdit>(w, "Text2")->text(), QString("0000004"));
        rig.answers.texts = {"ЖОБ 0000007", "Утерян"};
        click(rig.in<QPushButton>(w, "WriteOff"));
        QVERIFY2(rig.answers.prompts.value(2).endsWith("|ЖОБ 0000004"), qPrintable(rig.answers.prompts.join('\n')));
        QCOMPARE(table->model()->rowCount(), 4);
        QCOMPARE(rig.in<QLabel>(w, "Label2")->text(), QString("Пропуски: ЖОБ 0000004–0000006"));

        typeInto(rig.in<QLineEdit>(w, "Text1"), "АБВ");
        typeInto(rig.in<QLineEdit>(w, "Text2"), "0500");
        click(rig.in<QPushButton>(w, "SetNext"));
        QCOMPARE(rig.reg().nextBlank()->text(), QString("АБВ 0500"));

        // The print dialog names it before printing.
        click(rig.program->main.findChild<ImageButton *>("Image5"));
        auto *dialog = rig.program->registry.existing<PrintDialog>(WindowKind::Print);
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(rig.in<QLabel>(dialog, "Label4")->text(), QString("Бланк: АБВ 0500"));
    }

    void aClassPrintIsRecordedOrGivesItsBlanksBack()
    {
        Rig rig;
        QString error;
        QVERIFY(rig.reg().use());
        QVERIFY(rig.reg().setNextBlank({"ЖОБ", "0012345"}, &error));
        bool refuse = true;
        ClassPrint::printer() = [&](int count, const printing::PageWriter &, const QString &, const printing::Progress &) {
            printing::Outcome out;
            out.printer = "gravik-test";
            out.ok = !refuse;
            out.job = refuse ? 0 : 18;
            out.pages = count;
            out.error = refuse ? "очередь не принимает задания" : "";
            return out;
        };
        click(rig.program->main.findChild<ImageButton *>("Image8"));
        auto *baza = rig.program->registry.existing<StudentDatabaseWindow>(WindowKind::Baza);
        click(baza->findChild<ImageButton *>("Image7"));
        QCOMPARE(rig.reg().count(), 0);
        QCOMPARE(rig.reg().nextBlank()->text(), QString("ЖОБ 0012345"));

        refuse = false;
        rig.answers.messages.clear();
        click(baza->findChild<ImageButton *>("Image7"));
        QCOMPARE(rig.answers.messages,
                 QStringList({"4 аттестата отправлены на принтер «gravik-test», бланки ЖОБ 0012345–0012348."}));
        const auto entries = rig.reg().entries();
        QCOMPARE(entries.size(), size_t(4));
        for (size_t i = 0; i < 4; ++i) {
            QCOMPARE(entries[i].blank, BlankNumber({"ЖОБ", QString("001234%1").arg(5 + i)}));
            QCOMPARE(entries[i].pupil.surname, rig.rows[i][0]);
            QCOMPARE(entries[i].pupil.name, rig.rows[i][1]);
            QCOMPARE(entries[i].pupil.patronymic, rig.rows[i][2]);
            QCOMPARE(entries[i].pupil.registration, rig.rows[i][8]);
            QCOMPARE(entries[i].job, 18);
        }
    }

    void captionsFollowTheLanguageSwitch()
    {
        Rig rig;
        RegisterWindow *w = rig.openFromMain();
        QWidget *settings = rig.program->registry.show(WindowKind::Settings);
        choose(settings->findChild<QRadioButton *>("Option2"));
        QCOMPARE(w->windowTitle(), QString("Бланктер журналы"));
        QCOMPARE(rig.in<QPushButton>(w, "WriteOff")->text(), QString("Бланкті есептен шығару…"));
        QCOMPARE(w->table()->model()->headerData(blanks::RegisterModel::Surname, Qt::Horizontal).toString(),
                 QString("Тегі"));
        QCOMPARE(rig.in<QComboBox>(w, "Combo1")->itemText(2), QString("бүлінген"));
        QCOMPARE(rig.program->main.findChild<ImageButton *>("Image25")->toolTip(), QString("Бланктер журналы"));
        click(rig.program->main.findChild<ImageButton *>("Image5"));
        QCOMPARE(rig.in<QLabel>(rig.program->registry.existing(WindowKind::Print), "Label4")->text(),
                 QString("Бланк көрсетілмеген"));
        choose(settings->findChild<QRadioButton *>("Option1"));
        QCOMPARE(w->windowTitle(), QString("Журнал бланков"));
        QCOMPARE(rig.in<QPushButton>(w, "WriteOff")->text(), QString("Списать бланк…"));
    }
};

QTEST_MAIN(RegisterWindowTest)
#include "test_registerwindow.moc"
