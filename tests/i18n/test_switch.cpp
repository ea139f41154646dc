// The language switched as the operator switches it, in the settings window,
// with the program's windows open: every caption the program added to them
// follows at once. Qt's own dialog texts are Russian for either language.
#include "database/workbookmodel.h"
#include "editor/blankcontrols.h"
#include "editor/fieldlabel.h"
#include "language/blankcaptions.h"
#include "language/outputcaptions.h"
#include "printdialog/calibration.h"
#include "printdialog/printdialog.h"
#include "printing/classrig.h"
#include "students/studentdatabasewindow.h"
#include "support/dialoganswers.h"
#include "support/programfolder.h"
#include "support/startprogram.h"
#include "widgets/imagebutton.h"
#include "widgets/pagepreview.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace gravik;
using i18n::BlankCaption;
using i18n::OutputCaption;

namespace {

void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }

void chooseLanguage(QWidget *settings, const char *option)
{
    auto *b = settings->findChild<QRadioButton *>(option);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, b->height() / 2));
}

QString tip(QWidget *window, const char *button) { return window->findChild<ImageButton *>(button)->toolTip(); }

} // namespace

class SwitchTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(useRussianStandardDialogs(*qApp)); }

    void everyAddedCaptionFollowsTheSwitch()
    {
        ProgramFolder folder;
        folder.write("Baza.xml", databaseOf(classOf(2)));
        DialogAnswers answers;
        TestProgram program;
        QVERIFY(program.start());
        CertificateWindow &main = program.main;
        WindowRegistry &registry = program.registry;
        QTemporaryDir out;

        // Open before the switch: the database window, the print dialog, both offset windows.
        QWidget *baza = registry.show(WindowKind::Baza);
        click(main.button("Image5"));
        auto *print = registry.existing<PrintDialog>(WindowKind::Print);
        QVERIFY(print && print->isVisible());
        click(print->button("Image9"));
        auto *printerOffset = print->findChild<PrinterOffsetWindow *>();
        QVERIFY(printerOffset);
        QDialog *blankOffset = main.blank().showOffsetWindow();
        QWidget *settings = registry.show(WindowKind::Settings);

        chooseLanguage(settings, "Option2");
        const QString kaz = LanguageCode::Kazakh;
        QCOMPARE(main.windowTitle(), QString::fromUtf8("Мектеп аттестат")); // the table's part, for a start

        QVERIFY(main.fieldLabel(1)->toolTip().contains(QString::fromUtf8("келесі")));
        QCOMPARE(main.findChild<QWidget *>("VScroll1")->toolTip(), main.fieldLabel(1)->toolTip());
        click(main.button("Image7"));
        QMenu *menu = main.blank().popupMenu(main.fieldLabel(1)->geometry().center());
        QVERIFY(menu);
        QStringList entries;
        for (QAction *a : menu->actions())
            entries << a->text();
        QCOMPARE(entries, QStringList({i18n::blankCaption(BlankCaption::Choose, kaz),
                                       i18n::blankCaption(BlankCaption::Shown, kaz),
                                       i18n::blankCaption(BlankCaption::Offset, kaz)}));
        menu->close();
        QCOMPARE(blankOffset->windowTitle(), i18n::blankCaption(BlankCaption::OffsetTitle, kaz));
        QCOMPARE(blankOffset->findChildren<QLabel *>().value(0)->text(), i18n::blankCaption(BlankCaption::OffsetRight, kaz));

        QCOMPARE(tip(baza, "Image7"), i18n::outputCaption(OutputCaption::ClassPrintTip, kaz));
        QCOMPARE(tip(baza, "Image8"), i18n::outputCaption(OutputCaption::ClassPdfTip, kaz));
        QCOMPARE(tip(print, "Image7"), i18n::outputCaption(OutputCaption::PdfTip, kaz));
        QCOMPARE(tip(print, "Image8"), i18n::outputCaption(OutputCaption::TestPageTip, kaz));
        QCOMPARE(tip(print, "Image9"), i18n::outputCaption(OutputCaption::PrinterOffset, kaz));
        QCOMPARE(printerOffset->windowTitle(), i18n::outputCaption(OutputCaption::PrinterOffset, kaz));

        // The questions, the preview and the end messages.
        answers.answer = false;
        click(print->button("Image8"));
        QCOMPARE(answers.asked.value(0), print->windowTitle() + '|' + i18n::outputCaption(OutputCaption::PlainPaper, kaz) +
                                             '|' + i18n::outputCaption(OutputCaption::Print, kaz) + ',' +
                                             i18n::outputCaption(OutputCaption::Cancel, kaz));
        answers.files << out.filePath("one.pdf");
        click(print->button("Image7"));
        QCOMPARE(answers.messages.value(0),
                 i18n::outputCaption(OutputCaption::PdfSaved, kaz).arg(QDir::toNativeSeparators(out.filePath("one.pdf"))));
        QStringList preview;
        answers.preview = [&preview](PagePreview &p) {
            preview << p.windowTitle() << p.counter()->text() << p.findChild<QPushButton *>("next")->text();
            return true;
        };
        answers.files << out.filePath("class.pdf");
        click(baza->findChild<ImageButton *>("Image8"));
        QCOMPARE(preview, QStringList({i18n::outputCaption(OutputCaption::PreviewTitle, kaz),
                                       i18n::outputCaption(OutputCaption::PageOf, kaz).arg(1).arg(2),
                                       i18n::outputCaption(OutputCaption::Next, kaz)}));
        QCOMPARE(answers.messages.value(1),
                 i18n::outputCaption(OutputCaption::ClassSavedMany, kaz)
                     .arg(QString::fromUtf8("2 аттестат"), QDir::toNativeSeparators(out.filePath("class.pdf"))));

        auto *grid = static_cast<StudentDatabaseWindow *>(baza)->model();
        grid->setData(grid->index(3, 0), QStringLiteral("Правка"));
        baza->close();
        QCOMPARE(answers.asked.value(1),
                 QString::fromUtf8("Оқушылардың мәліметтер базасы|Оқушылар базасындағы өзгерістерді сақтау керек "
                                   "пе?|Сақтау,Сақтамау"));

        // And back.
        chooseLanguage(settings, "Option1");
        const QString rus = LanguageCode::Russian;
        QVERIFY(main.fieldLabel(1)->toolTip().contains(QString::fromUtf8("следующее")));
        QCOMPARE(tip(print, "Image8"), i18n::outputCaption(OutputCaption::TestPageTip, rus));
        QCOMPARE(printerOffset->windowTitle(), i18n::outputCaption(OutputCaption::PrinterOffset, rus));
        QCOMPARE(blankOffset->windowTitle(), i18n::blankCaption(BlankCaption::OffsetTitle, rus));
    }

    // The file dialog puts the suffix on before it looks for the file, so
    // it asks (in Russian) before an existing one is replaced.
    void savingOverAFileIsAskedInRussian()
    {
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("Отмена"));

        QTemporaryDir dir;
        QFile old(dir.filePath("old.pdf"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();
        QString asked;
        QTimer::singleShot(0, [&asked] {
            auto *files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(files);
            auto *name = files->findChild<QLineEdit *>("fileNameEdit");
            QVERIFY(name);
            name->setText("old");
            QTimer::singleShot(0, [&asked] {
                auto *question = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(question);
                asked = question->text();
                question->button(QMessageBox::Yes)->click();
            });
            QTest::keyClick(name, Qt::Key_Return);
        });
        const QString chosen = Dialogs::standard().saveFile(nullptr, "PDF", dir.path(), "PDF (*.pdf)");
        QCOMPARE(chosen, dir.filePath("old.pdf"));
        QVERIFY2(asked.contains(QString::fromUtf8("уже существует")), qPrintable(asked));
    }
};

QTEST_MAIN(SwitchTest)
#include "test_switch.moc"
