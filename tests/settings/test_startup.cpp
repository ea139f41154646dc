#include "widgets/windowregistry.h"
#include "support/dialoganswers.h"
#include "support/mainwindow.h"
#include "database/studentdatabase.h"
#include "i18n/interfacelanguage.h"
#include "database/workbookmodel.h"
#include "app/windows.h"
#include "register/blankregister.h"
#include "core/certificatefields.h"
#include "editor/certificatewindow.h"
#include "widgets/imagebutton.h"
#include "widgets/notices.h"
#include "i18n/translationeditor.h"
#include "settings/settingswindow.h"
#include "students/studentdatabasewindow.h"
#include "database/workbookmodel.h"
#include "support/programfolder.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

using namespace gravik;

// The program as main() wires it: start-up reads the language, the buttons open
// the language windows.
class StartupLanguageTest : public QObject
{
    Q_OBJECT
private:
    struct Program {
        ProgramFolder dir;
        DialogAnswers answers;
        QStringList &messages = answers.messages;
        StudentDatabase db;
        blanks::Register blankRegister;
        WindowRegistry registry;
        TestMainWindow main{[] { return QStringList{QStringLiteral("Arial")}; }};
        QTimer watchdog; // a message box of another window must not hang the test

        Program()
        {
            QFile::copy(QStringLiteral(GRAVIK_FIXTURES_DIR "/libreoffice/Baza.xml"), dir.file("Baza.xml"));
            QFile::setPermissions(dir.file("Baza.xml"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            notices::forgetFiles();
            QObject::connect(&watchdog, &QTimer::timeout, [] {
                if (QWidget *w = QApplication::activeModalWidget())
                    w->close();
            });
            watchdog.start(100);
            registerWindows(registry, main, db, blankRegister);
        }
        ~Program()
        {
            registry.destroyAll();
        }
        bool start()
        {
            QString error;
            const bool ok = main.startUp(&error);
            if (!ok)
                qWarning() << error;
            main.finishStartUp();
            return ok;
        }
    };

private slots:
    void startsInKazakh()
    {
        Program p;
        p.dir.write("data/lang.txt", "Kaz\r\nRus\r\n");
        QVERIFY(p.start());
        QCOMPARE(p.main.windowTitle(), QString::fromUtf8("Мектеп аттестат"));
        QCOMPARE(p.main.findChild<QLabel *>("Label51")->text(), QString::fromUtf8("Қаріп"));
        QCOMPARE(p.main.button("Image5")->toolTip(), QString::fromUtf8("Басып шығаруға жіберіңіз"));
        QCOMPARE(p.main.languageCode().text(), QString("Kaz"));
        // The strings were read, and no window of ours was needed for them.
        QVERIFY(p.registry.findChild<InterfaceLanguage *>()->strings().isInUse());
        QVERIFY(!p.registry.existing(WindowKind::Lang));
        QVERIFY(!p.registry.existing(WindowKind::Settings));
        QVERIFY(!p.registry.existing(WindowKind::Help));
        QVERIFY(p.messages.isEmpty());
    }

    // Every stored form of a Kazakh letter shown as the letter, and both files
    // written back byte for byte.
    void kazakhBytesSurviveARun()
    {
        Program p;
        QFile::remove(p.dir.file("Baza.xml")); // no pupil replaces the stored boxes
        QFile::copy(QStringLiteral(GRAVIK_DEFAULTS_DIR "/Baza.xml"), p.dir.file("Baza.xml"));
        const QByteArray forms = "\x8D\x9D\x8E\x9E\xA1\xA2\xA3\xBC\xA5\xB4\xAA\xBA\xAF\xBF\xBD\xBE\xB2\xB3";
        const QString letters = QString::fromUtf8("ҚқҺһҰұӘәӨөҒғҮүҢңІі");
        p.dir.write("data/lang.txt", "Kaz\r\n");
        p.dir.setLine("data/languare.txt", 91, forms); // the settings window's title
        p.dir.setLine("1.txt", stateLine(Value::SettlementKz), forms);
        const QByteArray table = p.dir.read("data/languare.txt"), state = p.dir.read("1.txt");
        QVERIFY(p.start());
        QCOMPARE(p.main.box("Text31")->text(), letters);
        emit p.main.button("Image11")->clicked();
        QCOMPARE(p.registry.existing(WindowKind::Settings)->windowTitle(), letters);
        QVERIFY(p.registry.get(WindowKind::Lang)->close()); // the editor's closing writes the table
        QVERIFY(p.main.shutDown());
        QCOMPARE(p.dir.read("data/languare.txt"), table);
        QCOMPARE(p.dir.read("1.txt"), state);
    }

    void startsWithoutTheLanguageFiles()
    {
        Program p;
        QFile::remove(p.dir.file("data/lang.txt"));
        QFile::remove(p.dir.file("data/languare.txt"));
        QVERIFY(p.start());
        QCOMPARE(p.main.windowTitle(), QString::fromUtf8("Школьный аттестат"));
        QCOMPARE(p.main.findChild<QLabel *>("Label51")->text(), QString::fromUtf8("Шрифт"));
        QCOMPARE(p.messages.size(), 1);
        QVERIFY(p.messages.at(0).contains("lang.txt"));

        // The settings button opens the settings window; choosing a language
        // reads the missing table once, with one more message.
        ImageButton *settings = p.main.button("Image11");
        QVERIFY(settings->isEnabled());
        QVERIFY(p.main.button("Image14")->isEnabled());
        emit settings->clicked();
        auto *s = p.registry.existing<SettingsWindow>(WindowKind::Settings);
        QVERIFY(s && s->isVisible());
        QCOMPARE(p.messages.size(), 1);
        s->findChild<QRadioButton *>("Option2")->setChecked(true);
        QCOMPARE(p.main.windowTitle(), QString::fromUtf8("Мектеп аттестат"));
        QCOMPARE(p.messages.size(), 2);
        QVERIFY(p.messages.at(1).contains("languare.txt"));

        // Closing the editor writes the whole table.
        QVERIFY(p.registry.existing(WindowKind::Lang)->close());
        QCOMPARE(p.dir.read("data/languare.txt").count("\r\n"), 114);
    }

    void closingTheMainWindowEndsWithoutTheLanguageWindowsSteps()
    {
        Program p;
        QVERIFY(p.start());
        const QByteArray table = p.dir.read("data/languare.txt");
        emit p.main.button("Image11")->clicked();
        p.registry.existing(WindowKind::Settings)->findChild<QRadioButton *>("Option2")->setChecked(true);
        p.registry.get<TranslationEditor>(WindowKind::Lang)->box(1)->setText("lost");
        p.main.close();
        p.registry.destroyAll(); // as main() does after the event loop
        QCOMPARE(p.dir.read("data/lang.txt"), QByteArray("Rus\r\n"));
        QCOMPARE(p.dir.read("data/languare.txt"), table);
    }

    void switchReachesTheDatabaseWindowAndThePrintDialog()
    {
        Program p;
        p.dir.write("data/lang.txt", "Kaz\r\n");
        QVERIFY(p.start());
        // The pupil list read the database through its window, made hidden;
        // its headers are in the stored language.
        QVERIFY(p.registry.existing(WindowKind::Baza));
        QVERIFY(!p.registry.existing(WindowKind::Baza)->isVisible());
        const WorkbookModel *grid = p.db.model();
        QCOMPARE(grid->cellText(1, 1), QString::fromUtf8("Толық аты-жөні сол жағында"));
        QVERIFY(!p.registry.existing(WindowKind::Print));

        emit p.main.button("Image11")->clicked();
        p.registry.existing(WindowKind::Settings)->findChild<QRadioButton *>("Option1")->setChecked(true);
        auto *baza = p.registry.existing<StudentDatabaseWindow>(WindowKind::Baza);
        QVERIFY(baza && !baza->isVisible()); // made hidden by the switch
        QCOMPARE(baza->windowTitle(), QString::fromUtf8("База учеников"));
        QCOMPARE(grid->cellText(1, 4), QString::fromUtf8("ФИО правая сторона"));
        QCOMPARE(grid->cellText(2, 9), QString::fromUtf8("Регистрационный номер"));
        QCOMPARE(grid->cellText(1, 2), QString()); // B1 is not written
        QWidget *print = p.registry.existing(WindowKind::Print);
        QVERIFY(print && !print->isVisible());
        QCOMPARE(print->windowTitle(), QString::fromUtf8("Печать данных"));
    }

    void aboutButtonShowsTheAboutWindow()
    {
        Program p;
        p.dir.write("data/lang.txt", "Kaz\r\n");
        QVERIFY(p.start());
        emit p.main.button("Image14")->clicked();
        QWidget *about = p.registry.existing(WindowKind::Help);
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), QString::fromUtf8("Бағдарлама туралы"));
        QVERIFY(p.main.isEnabled()); // modeless
    }
};

QTEST_MAIN(StartupLanguageTest)
#include "test_startup.moc"
