#include "bazarig.h"
#include "printing/classrig.h"
#include "support/mainwindow.h"
#include "support/operator.h"
#include "support/programfolder.h"

#include "app/windows.h"
#include "database/workbookmodel.h"
#include "register/blankregister.h"
#include "printdialog/printdialog.h"
#include "students/classprint.h"
#include "students/spreadsheetview.h"
#include "widgets/imagebutton.h"
#include "widgets/pagepreview.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

using namespace gravik;

namespace {

void click(QWidget *w, Qt::KeyboardModifiers mods = {}, QPoint at = {})
{
    QTest::mouseClick(w, Qt::LeftButton, mods, at.isNull() ? w->rect().center() : at);
}

// The program's windows over a class of four, the operator's dialogs stood in for.
struct Rig {
    ProgramFolder folder;
    DialogAnswers answers;
    StudentDatabase db;
    blanks::Register blankRegister;
    WindowRegistry registry;
    TestMainWindow main{[] { return QStringList{"Times New Roman"}; }};
    QTemporaryDir out;
    QStringList &messages = answers.messages;
    QStringList pagesSeen;
    QString pdf; // what the save dialog answers
    std::vector<pupils::StudentRecord> rows = classOf(4);
    const ClassPrint::Printer standardPrinter = ClassPrint::printer();

    Rig()
    {
        rows[3] = rows[1]; // row 6 is row 4's namesake, another pupil
        rows[3][6] = "Учитель9";
        rows[3][8] = "Ж-999";
        folder.write("Baza.xml", databaseOf(rows));
        registerWindows(registry, main, db, blankRegister);
        // Pages to a printer go onto blanks: the operator has said which comes next.
        blankRegister.use();
        blankRegister.setNextBlank({"ЖОБ", "0000001"}, nullptr);
        QString error;
        if (!main.startUp(&error))
            qWarning("%s", qPrintable(error));
        main.finishStartUp();
        main.box("Text5")->setText("Директорова");
        main.box("Text1")->setText("Набранный"); // the operator's own, after the first pupil
        Dialogs::current().saveFile = [this](QWidget *, const QString &, const QString &, const QString &) { return pdf; };
        // The real preview, paged through to the end, then accepted.
        answers.preview = [this](PagePreview &p) {
            QTimer::singleShot(0, &p, [this, &p] {
                pagesSeen << p.counter()->text();
                while (p.findChild<QPushButton *>("next")->isEnabled()) {
                    click(p.findChild<QPushButton *>("next"));
                    pagesSeen << p.counter()->text();
                }
                click(p.findChild<QPushButton *>("accept"));
            });
            return p.exec() == QDialog::Accepted;
        };
    }
    ~Rig()
    {
        registry.destroyAll();
        ClassPrint::printer() = standardPrinter;
    }
    StudentDatabaseWindow *baza() { return static_cast<StudentDatabaseWindow *>(registry.show(WindowKind::Baza)); }
    ImageButton *bazaButton(const char *name) { return baza()->findChild<ImageButton *>(name); }
    QString tip(const char *button) { return bazaButton(button)->toolTip(); }
    QStringList values() const
    {
        QStringList v;
        for (int i = 0; i < ValueCount; ++i)
            v << main.document().value(Value(i));
        return v;
    }
    // Clicks the header of grid row n (1-based).
    void selectRow(int n, Qt::KeyboardModifiers mods = {})
    {
        QHeaderView *h = baza()->spreadsheet()->verticalHeader();
        click(h->viewport(), mods, QPoint(h->width() / 2, h->sectionViewportPosition(n - 1) + h->sectionSize(n - 1) / 2));
    }
    // Clicks a grid cell (1-based).
    void clickCell(int row, int column, Qt::KeyboardModifiers mods = {})
    {
        SpreadsheetView *grid = baza()->spreadsheet();
        click(grid->viewport(), mods, grid->visualRect(grid->model()->index(row - 1, column - 1)).center());
    }
};

} // namespace

class ClassPrintTest : public QObject
{
    Q_OBJECT
private slots:
    void theListedClassToOnePdf()
    {
        Rig rig;
        const QStringList before = rig.values();
        const Certificate base = rig.main.document().certificate();
        rig.pdf = rig.out.filePath("class.pdf");
        click(rig.bazaButton("Image8"));
        QCOMPARE(rig.pagesSeen, QStringList({"Страница 1 из 4", "Страница 2 из 4", "Страница 3 из 4", "Страница 4 из 4"}));
        QCOMPARE(rig.messages, QStringList({"4 аттестата сохранены в файл " + rig.pdf + "."}));
        checkClassPdf(rig.pdf, base, rig.rows);
        QCOMPARE(rig.values(), before); // the operator's boxes as they were
        QCOMPARE(rig.main.box("Text1")->text(), QString("Набранный"));
    }

    // Highlighted cells count as their rows, as whole rows do.
    void selectedRowsOnly()
    {
        Rig rig;
        const Certificate base = rig.main.document().certificate();
        rig.pdf = rig.out.filePath("rows.pdf");
        rig.clickCell(4, 2);
        rig.clickCell(5, 3, Qt::ShiftModifier);
        rig.selectRow(6, Qt::ControlModifier);
        click(rig.bazaButton("Image8"));
        QCOMPARE(rig.pagesSeen, QStringList({"Страница 1 из 3", "Страница 2 из 3", "Страница 3 из 3"}));
        QCOMPARE(rig.messages, QStringList({"3 аттестата сохранены в файл " + rig.pdf + "."}));
        checkClassPdf(rig.pdf, base, {rig.rows[1], rig.rows[2], rig.rows[3]});

        // Cells of rows without pupils: nothing to print, and the operator is told so.
        rig.clickCell(9, 1);
        rig.clickCell(12, 2, Qt::ShiftModifier);
        rig.pagesSeen.clear();
        click(rig.bazaButton("Image8"));
        QCOMPARE(rig.messages.last(), QString("В выделенных строках нет учеников: печатать нечего."));
        QVERIFY(rig.pagesSeen.isEmpty());
    }

    // Tab moves between cells; Ctrl+Tab and Ctrl+Shift+Tab leave the grid for
    // the controls beside it, keeping what was typed.
    void theKeyboardLeavesTheGrid()
    {
        Rig rig;
        StudentDatabaseWindow *w = rig.baza();
        QVERIFY(QTest::qWaitForWindowActive(w));
        SpreadsheetView *grid = w->spreadsheet();
        rig.clickCell(7, 1);
        pressKeys(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), grid);
        QCOMPARE(grid->currentIndex(), grid->model()->index(6, 1));
        for (QChar c : QString("Ли"))
            pressKeys(Qt::Key_unknown, {}, QString(c));
        QVERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget())); // typing opened the cell
        pressKeys(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), rig.bazaButton("Image7"));
        QCOMPARE(w->model()->cellText(7, 2), QString("Ли"));
        pressKeys(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), rig.bazaButton("Image8"));

        rig.clickCell(7, 3);
        pressKeys(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), rig.bazaButton("Image2"));
        pressKeys(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), grid);
        pressKeys(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), rig.bazaButton("Image7"));
    }

    void oneJobForTheClassAndCancelSendsNothing()
    {
        Rig rig;
        std::vector<QString> sent;
        ClassPrint::printer() = [&](int count, const printing::PageWriter &write, const QString &title,
                                             const printing::Progress &progress) {
            return printing::sendPages("test", page::PageSetup{}, count, write, title, progress,
                                       [&](const QString &, const QString &path, const QString &t, QString *) {
                                           QFile::copy(path, rig.out.filePath("job.pdf"));
                                           sent.push_back(t);
                                           return 41;
                                       });
        };
        ClassPrint *classPrint = rig.baza()->findChild<ClassPrint *>();
        QVERIFY(classPrint);
        QMetaObject::Connection cancelAtTwo =
            connect(classPrint, &ClassPrint::pageMade, this, [](int made, QProgressDialog *progress) {
                QVERIFY(progress->isVisible());
                if (made == 2)
                    click(progress->findChild<QPushButton *>());
            });
        click(rig.bazaButton("Image7"));
        QVERIFY(sent.empty());
        QVERIFY(rig.messages.isEmpty());

        disconnect(cancelAtTwo);
        const Certificate base = rig.main.document().certificate();
        click(rig.bazaButton("Image7"));
        QCOMPARE(sent, std::vector<QString>({"Аттестаты: 4 аттестата"}));
        QCOMPARE(rig.messages, QStringList({"4 аттестата отправлены на принтер «test», бланки ЖОБ 0000001–0000004."}));
        checkClassPdf(rig.out.filePath("job.pdf"), base, rig.rows);
    }

    void theCurrentCertificateFromThePrintDialog()
    {
        Rig rig;
        rig.pdf = rig.out.filePath("one.pdf");
        click(rig.main.button("Image5"));
        auto *dialog = rig.registry.existing<PrintDialog>(WindowKind::Print);
        QVERIFY(dialog && dialog->isVisible());
        click(dialog->findChild<ImageButton *>("Image7"));
        QCOMPARE(rig.messages, QStringList({"Аттестат сохранён в файл " + rig.pdf + "."}));
        const Certificate c = rig.main.document().certificate();
        checkClassPdf(rig.pdf, c, {pupils::recordOf(c)});
    }

    void captionsFollowTheLanguage()
    {
        Rig rig;
        click(rig.main.button("Image5"));
        auto *dialog = rig.registry.existing<PrintDialog>(WindowKind::Print);
        QWidget *pdf = dialog->findChild<ImageButton *>("Image7");
        QVERIFY2(rig.tip("Image7").startsWith("Напечатать аттестаты класса"), qPrintable(rig.tip("Image7")));
        rig.baza()->languageCode().setText("Kaz");
        dialog->languageCode().setText("Kaz");
        QVERIFY2(rig.tip("Image7").startsWith("Сынып аттестаттарын бір тапсырмам"), qPrintable(rig.tip("Image7")));
        QVERIFY2(rig.tip("Image8").startsWith("Сынып аттестаттарын PDF-ке"), qPrintable(rig.tip("Image8")));
        QCOMPARE(pdf->toolTip(), QString("Аттестатты PDF-ке сақтау"));
        rig.baza()->languageCode().setText("Eng"); // no language: as they were
        QVERIFY2(rig.tip("Image8").startsWith("Сынып аттестаттарын PDF-ке"), qPrintable(rig.tip("Image8")));
        rig.baza()->languageCode().setText("Rus");
        dialog->languageCode().setText("Rus");
        QVERIFY2(rig.tip("Image8").startsWith("Сохранить аттестаты класса"), qPrintable(rig.tip("Image8")));
        QCOMPARE(pdf->toolTip(), QString("Сохранить аттестат в PDF"));
    }
};

QTEST_MAIN(ClassPrintTest)
#include "test_classprint.moc"
