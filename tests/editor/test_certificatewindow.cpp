#include "widgets/windowregistry.h"
#include "support/mainwindow.h"
#include "core/twips.h"
#include "editor/certificatewindow.h"
#include "editor/fieldlabel.h"
#include "widgets/imagebutton.h"
#include "support/programfolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <memory>

using namespace gravik;

namespace {

const QStringList kFonts = {"Times New Roman", "Arial", "Courier New", "Arial"};

std::unique_ptr<CertificateWindow> startedWindow()
{
    auto w = std::make_unique<TestMainWindow>([] { return kFonts; });
    QString error;
    if (!w->startUp(&error))
        qWarning() << error;
    return w;
}

QString labelText(CertificateWindow &w, int n) { return w.fieldLabel(n)->text(); }

} // namespace

class CertificateWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_folder = std::make_unique<ProgramFolder>(); }
    void cleanup() { m_folder.reset(); }

    void startsWithStoredValuesAndFont()
    {
        m_folder->setLine("1.txt", 1, "\xc8\xe2\xe0\xed\xee\xe2"); // Иванов
        m_folder->setLine("1.txt", 12, "125");
        m_folder->setLine("1.txt", 32, "8");
        auto w = startedWindow();
        QCOMPARE(w->box("Text1")->text(), QString::fromUtf8("Иванов"));
        QCOMPARE(labelText(*w, 1), QString::fromUtf8("Иванов"));
        QCOMPARE(labelText(*w, 16), QString("125"));
        QCOMPARE(labelText(*w, 33), QString("125"));
        QCOMPARE(w->findChild<QComboBox *>("Combo11")->currentText(), QString("8"));
        for (int n = 1; n <= 33; ++n) {
            QCOMPARE(w->fieldLabel(n)->font().pointSizeF(), 8.0);
            QCOMPARE(w->fieldLabel(n)->font().family(), QString("Times New Roman"));
        }
        QVERIFY(w->panelOpen());
        QCOMPARE(w->selectedField(), 0);
        QCOMPARE(w->findChild<QComboBox *>("Combo10")->count(), 4);
        QCOMPARE(w->findChild<QComboBox *>("Combo11")->count(), 6);
        QCOMPARE(w->findChild<QComboBox *>("Combo9")->count(), 3); // Arial listed once
    }

    void storedStyleMatchesExactly_data()
    {
        QTest::addColumn<QByteArray>("style");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::newRow("bold") << QByteArray("\xe6\xe8\xf0\xed\xfb\xe9") << true << false;
        QTest::newRow("bold italic") << QByteArray("\xe6\xe8\xf0\xed\xfb\xe9 \xea\xf3\xf0\xf1\xe8\xe2\xed\xfb\xe9") << true << true;
        QTest::newRow("italic") << QByteArray("\xea\xf3\xf0\xf1\xe8\xe2\xed\xfb\xe9") << false << true;
        QTest::newRow("capitalised: no match") << QByteArray("\xc6\xe8\xf0\xed\xfb\xe9") << false << false;
        QTest::newRow("trailing space: no match") << QByteArray("\xe6\xe8\xf0\xed\xfb\xe9 ") << false << false;
    }
    void storedStyleMatchesExactly()
    {
        QFETCH(QByteArray, style);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        m_folder->setLine("1.txt", 31, style);
        auto w = startedWindow();
        for (int n = 1; n <= 33; ++n) {
            QCOMPARE(w->fieldLabel(n)->font().bold(), bold);
            QCOMPARE(w->fieldLabel(n)->font().italic(), italic);
        }
    }

    void fontNotInstalledIsGivenAsStored()
    {
        m_folder->setLine("1.txt", 30, "No Such Font");
        auto w = startedWindow();
        QCOMPARE(w->fieldLabel(7)->font().family(), QString("No Such Font"));
        QCOMPARE(w->findChild<QComboBox *>("Combo9")->currentText(), QString("No Such Font"));
    }

    void badStateFileStopsTheStartWithoutWriting()
    {
        m_folder->setLine("1.txt", 40, "12a");
        const QByteArray before = m_folder->read("1.txt");
        TestMainWindow w([] { return kFonts; });
        QString error;
        QVERIFY(!w.startUp(&error));
        QVERIFY2(error.contains("1.txt") && error.contains("40") && error.contains("12a"), qPrintable(error));
        QCOMPARE(m_folder->read("1.txt"), before);
    }

    void inputBoxesFeedTheirFieldsAtOnce()
    {
        auto w = startedWindow();
        QTest::keyClicks(w->box("Text4"), "2024");
        QCOMPARE(labelText(*w, 4), QString("2024"));
        QCOMPARE(labelText(*w, 21), QString("2024"));
        QTest::keyClicks(w->box("Text12"), "0042");
        QCOMPARE(labelText(*w, 16), QString("0042"));
        QCOMPARE(labelText(*w, 33), QString("0042"));
        QTest::keyClicks(w->box("Text7"), "A");
        QTest::keyClicks(w->box("Text18"), "B");
        QCOMPARE(labelText(*w, 11), QString("A"));
        QCOMPARE(labelText(*w, 29), QString("B"));
        w->box("Text4")->clear();
        QCOMPARE(labelText(*w, 4), QString());
        QCOMPARE(labelText(*w, 21), QString());
    }

    void kazakhLettersShowAsTypedAndOthersRefused()
    {
        auto w = startedWindow();
        QLineEdit *b = w->box("Text13");
        auto type = [b](const char *utf8) {
            b->clear();
            for (QChar c : QString::fromUtf8(utf8))
                QTest::sendKeyEvent(QTest::Click, b, Qt::Key_unknown, QString(c), Qt::NoModifier);
            return b->text();
        };
        QCOMPARE(type("Қазақ"), QString::fromUtf8("Қазақ")); // a Kazakh keyboard layout
        QCOMPARE(type("Ќазаєы"), QString::fromUtf8("Қазағы")); // the letters that share their bytes
        b->clear();
        b->insert(QString::fromUtf8("Ли😀 Ю"));
        QCOMPARE(b->text(), QString::fromUtf8("Ли Ю"));
    }

    void centredFieldsStayCentredAndFittedStayAtX()
    {
        auto w = startedWindow();
        const double dpi = twips::screenDpiX();
        FieldLabel *centred = w->fieldLabel(1); // X 2040, W 3000
        w->box("Text1")->setText("Short");
        const int centre = centred->geometry().center().x();
        w->box("Text1")->setText("A much longer surname");
        QCOMPARE(centred->geometry().center().x(), centre);
        QCOMPARE(centred->x(), twips::toPixels(2040, dpi));
        QCOMPARE(centred->width(), twips::toPixels(3000, dpi));
        FieldLabel *fitted = w->fieldLabel(9); // X 2040
        w->box("Text5")->setText("Dir");
        const int narrow = fitted->width();
        w->box("Text5")->setText("Director of the school");
        QCOMPARE(fitted->x(), twips::toPixels(2040, dpi));
        QVERIFY(fitted->width() > narrow);
        QCOMPARE(w->fieldLabel(6)->height(), twips::toPixels(315, twips::screenDpiY()));
    }

    void shutDownSavesTheStateAndAnUnchangedRunChangesNoByte()
    {
        const QByteArray before = m_folder->read("1.txt");
        {
            auto w = startedWindow();
            QVERIFY(w->shutDown());
        }
        QCOMPARE(m_folder->read("1.txt"), before);
        {
            auto w = startedWindow();
            w->box("Text30")->setText(QString::fromUtf8("Алматы"));
            w->box("Text31")->setText(QString::fromUtf8("Қарағанды"));
            QVERIFY(w->shutDown());
            QVERIFY(w->shutDown()); // a second call changes nothing
        }
        auto again = startedWindow();
        QCOMPARE(again->box("Text30")->text(), QString::fromUtf8("Алматы"));
        QCOMPARE(again->box("Text31")->text(), QString::fromUtf8("Қарағанды"));
        QVERIFY(m_folder->read("1.txt").contains("\x8d\xe0\xf0\xe0\xba\xe0\xed\xe4\xfb"));
    }

    void panelOpensAndClosesKeepingTheTopStrip()
    {
        auto w = startedWindow();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QFrame *panel = w->panel();
        const double dy = twips::screenDpiY();
        QCOMPARE(panel->height(), twips::toPixels(8655, dy));
        QVERIFY(w->findChild<QWidget *>("Label54")->visibleRegion().isEmpty() == false);

        w->box("Text2")->setText("Name");
        QTest::mouseClick(w->button("Image7"), Qt::LeftButton);
        QCOMPARE(panel->height(), twips::toPixels(1575, dy));
        QVERIFY(!w->panelOpen());
        for (const char *lower : {"Combo12", "Label54", "Image1", "Label50", "Text1", "Line1"})
            QVERIFY2(w->findChild<QWidget *>(lower)->visibleRegion().isEmpty(), lower);
        for (const char *top : {"Combo9", "Combo10", "Combo11", "Image5", "Image6", "Image7", "Image8",
                                "Image11", "Image14", "Check1", "Label51"})
            QVERIFY2(!w->findChild<QWidget *>(top)->visibleRegion().isEmpty(), top);
        QVERIFY(!w->findChild<QWidget *>("HScroll1")->visibleRegion().isEmpty());
        QCOMPARE(labelText(*w, 2), QString("Name"));

        const auto page = [&] {
            QStringList s;
            for (const auto &c : page::contents(w->document().certificate()))
                s << QStringLiteral("%1|%2|%3").arg(c.text).arg(c.xTwips).arg(c.yTwips);
            return s;
        };
        const QStringList once = page();
        QTest::mouseClick(w->button("Image7"), Qt::LeftButton);
        QCOMPARE(page(), once);
        QTest::mouseClick(w->button("Image6"), Qt::LeftButton);
        QVERIFY(w->panelOpen());
        QCOMPARE(page(), once);
    }

    void letterBoxSetsBothLetterFields()
    {
        auto w = startedWindow();
        auto *check = w->findChild<QCheckBox *>("Check1");
        QCOMPARE(check->text(), QString::fromUtf8("Добавить букву а"));
        QVERIFY(!check->isChecked());
        QCOMPARE(labelText(*w, 20), QString());
        for (int i = 0; i < 5; ++i) {
            check->click();
            const QString expected = check->isChecked() ? QString::fromUtf8("а") : QString();
            QCOMPARE(labelText(*w, 20), expected);
            QCOMPARE(labelText(*w, 22), expected);
        }
        QVERIFY(check->isChecked());
        QVERIFY(w->shutDown());
        QVERIFY(!m_folder->read("1.txt").contains('\xe0')); // the letter is never stored
    }

    void windowButtonsOpenTheirWindowsOnce()
    {
        auto w = startedWindow();
        WindowRegistry registry;
        int created = 0;
        registry.setFactory(WindowKind::Help, [&] {
            ++created;
            auto *win = new QWidget;
            win->setObjectName("Help");
            return win;
        });
        w->setRegistry(&registry);
        w->show();
        QTest::mouseClick(w->button("Image14"), Qt::LeftButton);
        QTest::mouseClick(w->button("Image14"), Qt::LeftButton);
        QCOMPARE(created, 1);
        QVERIFY(registry.existing(WindowKind::Help)->isVisible());
        // Closed by its close box, it is destroyed and comes back anew.
        registry.existing(WindowKind::Help)->close();
        QTRY_VERIFY(!registry.existing(WindowKind::Help));
        QTest::mouseClick(w->button("Image14"), Qt::LeftButton);
        QCOMPARE(created, 2);
    }

private:
    std::unique_ptr<ProgramFolder> m_folder;
};

QTEST_MAIN(CertificateWindowTest)
#include "test_certificatewindow.moc"
