#include "core/twips.h"
#include "widgets/hoverrouter.h"
#include "widgets/imagebutton.h"
#include "language/applicationtable.h"
#include "i18n/languagerig.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace gravik;

namespace {

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

QRadioButton *option(QWidget *w, const char *name) { return w->findChild<QRadioButton *>(name); }
QString label(QWidget *w, const char *name) { return w->findChild<QLabel *>(name)->text(); }
QString frame(QWidget *w, const char *name) { return w->findChild<QGroupBox *>(name)->title(); }
ImageButton *button(QWidget *w, const char *name) { return w->findChild<ImageButton *>(name); }

void click(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(5, w->height() / 2));
}

} // namespace

// The settings window and the About window, with the language they put on every window.
class SettingsWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void opensInTheStoredLanguage()
    {
        LanguageRig rig;
        rig.setLanguageFile("Kaz\r\n");
        QWidget *s = rig.registry.show(WindowKind::Settings);
        QVERIFY(option(s, "Option2")->isChecked());
        QVERIFY(!option(s, "Option1")->isChecked());
        QCOMPARE(s->windowTitle(), QString::fromUtf8("Бағдарлама параметрлері"));
        QCOMPARE(frame(s, "Frame1"), QString::fromUtf8("Бағдарлама тілі"));
        QCOMPARE(option(s, "Option1")->text(), QString::fromUtf8("Орыс"));
        QCOMPARE(option(s, "Option2")->text(), QString::fromUtf8("Қазақ"));
        QCOMPARE(label(s, "Label3"), QString::fromUtf8("Аударма редакторы"));
        QCOMPARE(frame(s, "Frame3"), QString::fromUtf8("Принтер параметрлері"));
        QCOMPARE(frame(s, "Frame4"), QString());
        QCOMPARE(button(s, "Image2")->toolTip(), QString::fromUtf8("Орнату"));
    }

    void switchingReachesWindowsThatWereNotOpen()
    {
        LanguageRig rig;
        rig.setLanguageFile("Kaz\r\n");
        rig.main.languageCode().setText("Kaz");
        QVERIFY(!rig.about());
        QWidget *s = rig.registry.show(WindowKind::Settings);
        // Every window now exists, hidden, in Kazakh.
        QVERIFY(rig.about() && !rig.about()->isVisible());
        QCOMPARE(rig.about()->windowTitle(), QString::fromUtf8("Бағдарлама туралы"));

        click(option(s, "Option1"));
        QCOMPARE(rig.main.windowTitle(), QString::fromUtf8("Школьный аттестат"));
        QCOMPARE(s->windowTitle(), QString::fromUtf8("Настройки программы"));
        QCOMPARE(rig.editor()->windowTitle(), QString::fromUtf8("Редактор перевода"));
        auto *baza = rig.registry.existing<GridStandIn>(WindowKind::Baza);
        QCOMPARE(baza->windowTitle(), QString::fromUtf8("База учеников"));
        QCOMPARE(baza->cells.last(), QString::fromUtf8("I2=Регистрационный номер"));
        auto *print = rig.registry.existing<StandIn>(WindowKind::Print);
        QCOMPARE(print->windowTitle(), QString::fromUtf8("Печать данных"));
        QCOMPARE(print->caption("Label2"), QString::fromUtf8("Под номером"));

        QWidget *about = rig.registry.show(WindowKind::Help);
        QCOMPARE(about, rig.about());
        QCOMPARE(about->windowTitle(), QString::fromUtf8("О программе"));
        QCOMPARE(label(about, "Label3"), QString::fromUtf8("Версия: 1.3.1"));

        // Closed and opened again, it reads the stored language, which the
        // settings window has not written yet.
        about->close();
        flushDeletes();
        about = rig.registry.show(WindowKind::Help);
        QCOMPARE(about->windowTitle(), QString::fromUtf8("Бағдарлама туралы"));
    }

    void selectingAnOptionInsideTheApplicationStartsNoOther()
    {
        LanguageRig rig;
        QWidget *s = rig.registry.show(WindowKind::Settings);
        const int start = rig.language->applications();
        click(option(s, "Option2"));
        QCOMPARE(rig.language->applications(), start + 1);
        QVERIFY(option(s, "Option2")->isChecked());
        QCOMPARE(rig.main.windowTitle(), QString::fromUtf8("Мектеп аттестат"));
        click(option(s, "Option2"));
        QCOMPARE(rig.language->applications(), start + 1);
        click(option(s, "Option1"));
        QCOMPARE(rig.language->applications(), start + 2);
        QVERIFY(!option(s, "Option2")->isChecked());
        QCOMPARE(rig.main.windowTitle(), QString::fromUtf8("Школьный аттестат"));
    }

    void codesThatSelectNothing_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("lower case") << QByteArray("kaz\r\n");
        QTest::newRow("trailing blank") << QByteArray("Kaz \r\n");
    }
    void codesThatSelectNothing()
    {
        QFETCH(QByteArray, file);
        LanguageRig rig;
        rig.setLanguageFile(file);
        QWidget *s = rig.registry.show(WindowKind::Settings);
        QVERIFY(!option(s, "Option1")->isChecked());
        QVERIFY(!option(s, "Option2")->isChecked());
        QCOMPARE(s->windowTitle(), QString::fromUtf8("Настройки программы"));
        QCOMPARE(option(s, "Option2")->text(), QString::fromUtf8("Казахский"));
        QCOMPARE(rig.main.windowTitle(), QString::fromUtf8("Школьный аттестат"));
        QCOMPARE(label(rig.registry.get(WindowKind::Help), "Label3"), QString::fromUtf8("Версия 1.3.1"));
        QVERIFY(rig.messages.isEmpty());
        // Closing stores the code as it was read.
        QVERIFY(s->close());
        QCOMPARE(rig.dir.read("data/lang.txt"), file);
    }

    void choiceIsStoredWhenTheWindowCloses()
    {
        LanguageRig rig;
        rig.setLanguageFile("Rus\r\nsecond line\r\n");
        QWidget *s = rig.registry.show(WindowKind::Settings);
        click(option(s, "Option2"));
        QCOMPARE(rig.dir.read("data/lang.txt"), QByteArray("Rus\r\nsecond line\r\n"));
        QVERIFY(s->close());
        QCOMPARE(rig.dir.read("data/lang.txt"), QByteArray("Kaz\r\n"));
        flushDeletes();
        s = rig.registry.show(WindowKind::Settings);
        QVERIFY(option(s, "Option2")->isChecked());
    }

    void closingTheMainWindowFirstStoresNothing()
    {
        LanguageRig rig;
        QWidget *s = rig.registry.show(WindowKind::Settings);
        click(option(s, "Option2"));
        QVERIFY(rig.main.shutDown());
        rig.registry.destroyAll();
        QCOMPARE(rig.dir.read("data/lang.txt"), QByteArray("Rus\r\n"));
    }

    void missingLanguageFile()
    {
        LanguageRig rig;
        QFile::remove(rig.dir.file("data/lang.txt"));
        QWidget *s = rig.registry.show(WindowKind::Settings);
        QVERIFY(!option(s, "Option1")->isChecked() && !option(s, "Option2")->isChecked());
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY(rig.messages.at(0).contains("lang.txt"));
        // Nothing read and nothing chosen: no file is made up.
        QVERIFY(s->close());
        QVERIFY(!QFile::exists(rig.dir.file("data/lang.txt")));
        flushDeletes();
        s = rig.registry.show(WindowKind::Settings);
        QCOMPARE(rig.messages.size(), 1);
        click(option(s, "Option1"));
        QVERIFY(s->close());
        QCOMPARE(rig.dir.read("data/lang.txt"), QByteArray("Rus\r\n"));
    }

    void linkShowsTheTranslationEditor()
    {
        LanguageRig rig;
        QWidget *s = rig.registry.show(WindowKind::Settings);
        QVERIFY(QTest::qWaitForWindowExposed(s));
        rig.editor()->box(3)->setText("unsaved");
        click(s->findChild<QLabel *>("Label3"));
        QVERIFY(rig.editor()->isVisible());
        QCOMPARE(rig.editor()->box(3)->text(), QString("unsaved"));
    }

    void buttonsHighlightAsTheMouseMoves()
    {
        LanguageRig rig;
        auto *s = static_cast<SettingsWindow *>(rig.registry.show(WindowKind::Settings));
        ImageButton *driver = button(s, "Image1");
        ImageButton *printer = button(s, "Image2");
        HoverRouter *hover = s->hoverRouter();
        hover->moveOver("Image1");
        hover->moveOver("Image2");
        QVERIFY(driver->highlighted() && printer->highlighted());
        hover->moveOver("Label1");
        QVERIFY(driver->highlighted() && !printer->highlighted());
        hover->moveOver("Option1");
        hover->moveOver("Frame1");
        QVERIFY(driver->highlighted());
        hover->moveOver("Frame2");
        QVERIFY(!driver->highlighted());
        hover->moveOver("Image2");
        hover->moveOver("Nastroiki");
        QVERIFY(!printer->highlighted());
    }

    void driverInstallerThatCannotStart()
    {
        LanguageRig rig;
        auto *s = static_cast<SettingsWindow *>(rig.registry.show(WindowKind::Settings));
        const QByteArray path = qgetenv("PATH");
        QTemporaryDir empty;
        qputenv("PATH", empty.path().toLocal8Bit());
        s->startDriverInstaller();
        qputenv("PATH", path);
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY(rig.messages.at(0).contains("setup.exe"));
    }

    void driverInstallerStartsByBareName()
    {
        LanguageRig rig;
        QTemporaryDir bin;
        const QString marker = bin.filePath("started");
        QFile script(bin.filePath("setup.exe"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nsleep 1\npwd > \"$0.cwd\"\nmv \"$0.cwd\" \"$(dirname \"$0\")/started\"\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit() + ":" + path);

        auto *s = static_cast<SettingsWindow *>(rig.registry.show(WindowKind::Settings));
        QVERIFY(QTest::qWaitForWindowExposed(s));
        QElapsedTimer clock;
        clock.start();
        click(button(s, "Image1"));
        qputenv("PATH", path);
        QVERIFY(clock.elapsed() < 1000); // not waited for
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QVERIFY(rig.messages.isEmpty());
    }

    void aboutWindowInBothLanguages()
    {
        LanguageRig rig;
        rig.setLanguageFile("Kaz\r\n");
        QWidget *kz = rig.registry.show(WindowKind::Help);
        QCOMPARE(kz->windowTitle(), QString::fromUtf8("Бағдарлама туралы"));
        QCOMPARE(label(kz, "Label3"), QString::fromUtf8("Нұсқа: 1.3.1"));
        QCOMPARE(label(kz, "Label2"),
                 QString::fromUtf8("Сертификат бланкісінде мәтінді басып шығаруға арналған бағдарлама."));
        QCOMPARE(label(kz, "Label4"), QString::fromUtf8("Мекенжай: Gravik жобасы"));
        QVERIFY(label(kz, "Label6").startsWith(QString::fromUtf8("Тел: ")));

        AboutWindow built;
        for (const char *same : {"Label1", "Label5", "Label7"})
            QCOMPARE(label(kz, same), label(&built, same));
        QCOMPARE(label(&built, "Label1"), QString("Gravik"));
        QCOMPARE(label(&built, "Label3"), QString::fromUtf8("Версия 1.3.1"));
        QCOMPARE(label(&built, "Label4"), QString::fromUtf8("Адрес: проект Gravik"));
        QCOMPARE(built.windowTitle(), QString::fromUtf8("О программе"));
        for (QLabel *l : built.findChildren<QLabel *>()) {
            if (l->objectName() == "Image1") {
                QVERIFY(!l->pixmap().isNull());
                continue;
            }
            QCOMPARE(l->font().family(), QString("Courier New"));
            QVERIFY(l->font().bold());
            QCOMPARE(l->font().pointSizeF(), l->objectName() == "Label1" ? 60.0 : 12.0);
        }
    }

    void versionWordComesFromTheTable()
    {
        LanguageRig rig;
        rig.dir.setLine("data/languare.txt", 51, "");
        QWidget *about = rig.registry.show(WindowKind::Help);
        QCOMPARE(label(about, "Label3"), QString(" 1.3.1"));
        QCOMPARE(label(about, "Label6"), QString::fromUtf8("Тел: ") + i18n::MakerTelephone);
    }

    // At 96 DPI every line keeps to its label: as wide as it, and no more
    // lines than the label is high (one at least).
    void aboutLinesFitTheirLabels()
    {
        QCOMPARE(twips::screenDpiX(), 96.0);
        for (const char *code : {"Rus", "Kaz"}) {
            LanguageRig rig;
            rig.setLanguageFile(QByteArray(code) + "\r\n");
            QWidget *about = rig.registry.show(WindowKind::Help);
            for (QLabel *l : about->findChildren<QLabel *>()) {
                if (l->objectName() == "Image1")
                    continue;
                const QFontMetrics fm(l->font());
                const QRect room = l->contentsRect();
                const int flags = int(l->alignment()) | (l->wordWrap() ? int(Qt::TextWordWrap) : 0);
                const QRect need = fm.boundingRect(room, flags, l->text());
                const int lines = qRound(need.height() / double(fm.lineSpacing()));
                const int fit = std::max(1, room.height() / fm.lineSpacing());
                QVERIFY2(need.width() <= room.width() && lines <= fit,
                         qPrintable(QStringLiteral("%1 %2 \"%3\": %4 px in %5 lines, room %6 px and %7")
                                        .arg(code, l->objectName(), l->text())
                                        .arg(need.width()).arg(lines).arg(room.width()).arg(fit)));
            }
        }
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "test_settings.moc"
