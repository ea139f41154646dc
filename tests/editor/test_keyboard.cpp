// The program without a mouse: each key goes to the widget that has the
// keyboard after a real click, as the operator's keys do.
#include "i18n/languagerig.h"
#include "editor/fieldlabel.h"
#include "support/operator.h"

#include <QHelpEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

using namespace gravik;

namespace {

void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mods);
}

void activate(QWidget *w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

// Tabs on until a widget of that name has the keyboard; false after a round.
bool tabTo(const QString &name)
{
    for (int i = 0; i < 80; ++i) {
        if (QApplication::focusWidget() && QApplication::focusWidget()->objectName() == name)
            return true;
        press(Qt::Key_Tab);
    }
    return false;
}

QStringList coordinateLines(const ProgramFolder &dir)
{
    return QString::fromLatin1(dir.read("1.txt")).split("\r\n").mid(32, 66);
}

} // namespace

class KeyboardTest : public QObject
{
    Q_OBJECT
private slots:
    void tabReachesEachPictureButtonAndSpacePressesIt()
    {
        LanguageRig rig;
        activate(&rig.main);
        QLineEdit *surname = rig.main.box("Text1");
        QTest::mouseClick(surname, Qt::LeftButton, {}, surname->rect().center());
        QCOMPARE(QApplication::focusWidget(), surname);
        // A click on a picture leaves the keyboard where it was.
        QTest::mouseClick(rig.main.button("Image6"), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), surname);

        QStringList order;
        for (int i = 0; i < 60; ++i) {
            press(Qt::Key_Tab);
            if (auto *b = qobject_cast<ImageButton *>(QApplication::focusWidget()); b && !order.contains(b->objectName()))
                order << b->objectName();
        }
        QCOMPARE(order, QStringList({"Image5", "Image6", "Image7", "Image8", "Image11", "Image14"}));

        // The focus frame shows on the picture without moving or resizing it.
        ImageButton *unlock = rig.main.button("Image7");
        const QRect place = unlock->geometry();
        const QImage plain = unlock->grab().toImage();
        QVERIFY(tabTo("Image7"));
        QCOMPARE(unlock->geometry(), place);
        QVERIFY(unlock->grab().toImage() != plain);

        press(Qt::Key_Space);
        QVERIFY(!rig.main.panelOpen());
        press(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), rig.main.button("Image6"));
        press(Qt::Key_Return);
        QVERIFY(rig.main.panelOpen());
        QVERIFY(tabTo("Image14"));
        press(Qt::Key_Space);
        QVERIFY(rig.about() && rig.about()->isVisible());
    }

    void shortcutsAreNamedInTheTooltips()
    {
        LanguageRig rig;
        activate(&rig.main);
        ImageButton *print = rig.main.button("Image5");
        ImageButton *about = rig.main.button("Image14");
        for (const char *code : {"Rus", "Kaz"}) {
            rig.main.languageCode().setText(code);
            // The stored text stays the table's; the key is only shown after it.
            QCOMPARE(print->toolTip() == QString::fromUtf8("Отправить на печать"), QString(code) == "Rus");
            QCOMPARE(print->toolTipShown(), print->toolTip() + " (Ctrl+P)");
            QCOMPARE(about->toolTipShown(), about->toolTip() + " (F1)");
            QHelpEvent tip(QEvent::ToolTip, print->rect().center(), print->mapToGlobal(print->rect().center()));
            QApplication::sendEvent(print, &tip);
            QTRY_COMPARE(QToolTip::text(), print->toolTipShown());
            QToolTip::hideText();
        }
    }

    void ctrlPAndF1OpenTheirWindows()
    {
        LanguageRig rig;
        activate(&rig.main);
        QLineEdit *box = rig.main.box("Text12");
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
        press(Qt::Key_P, Qt::ControlModifier);
        QWidget *printDialog = rig.registry.existing<QWidget>(WindowKind::Print);
        QVERIFY(printDialog && printDialog->isVisible());
        QCOMPARE(box->text(), QString()); // the key did not type into the box
        activate(&rig.main);
        press(Qt::Key_F1);
        QVERIFY(rig.about() && rig.about()->isVisible());
    }

    void arrowKeysMoveTheSelectedField()
    {
        LanguageRig rig;
        activate(&rig.main);
        rig.main.box("Text1")->setText("Стрелкин");
        QTest::mouseClick(rig.main.button("Image7"), Qt::LeftButton);
        FieldLabel *field = rig.main.fieldLabel(1);
        QTest::mouseClick(field, Qt::LeftButton, {}, field->rect().center());
        QCOMPARE(rig.main.selectedField(), 1);
        const CoordinateTable &table = rig.main.coordinates();
        press(Qt::Key_Right);
        QCOMPARE(table.entry(2), QString("2060"));
        press(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(table.entry(2), QString("2560"));
        press(Qt::Key_Left);
        press(Qt::Key_Up);
        QCOMPARE(table.entry(1), QString("3580"));
        press(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(table.entry(1), QString("4080"));
        QCOMPARE(field->xTwips(), 2540.0);
        QCOMPARE(field->yTwips(), 4080.0);
        QCOMPARE(rig.main.findChild<QScrollBar *>("VScroll1")->value(), 4080);

        // With the panel open the keys move nothing.
        QTest::mouseClick(rig.main.button("Image6"), Qt::LeftButton);
        press(Qt::Key_Right);
        QCOMPARE(table.entry(2), QString("2540"));
        QVERIFY(rig.main.shutDown());
        const QStringList lines = coordinateLines(rig.dir);
        QCOMPARE(lines.value(0), QString("4080"));
        QCOMPARE(lines.value(1), QString("2540"));
    }

    void typingStartsInTheSurnameAndThePageTakesTheKeysWhenClosed()
    {
        LanguageRig rig;
        QString error;
        QVERIFY2(rig.main.startUp(&error), qPrintable(error));
        activate(&rig.main);
        QCOMPARE(QApplication::focusWidget(), rig.main.box("Text1"));
        QTest::mouseClick(rig.main.button("Image7"), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), &rig.main);
        QTest::mouseClick(rig.main.button("Image6"), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), rig.main.box("Text1"));
    }

    void f6AndShiftF6SelectTheFieldsInTurn()
    {
        LanguageRig rig;
        activate(&rig.main);
        press(Qt::Key_F6); // the panel is open: nothing to select
        QCOMPARE(rig.main.selectedField(), 0);
        QTest::mouseClick(rig.main.button("Image7"), Qt::LeftButton);
        auto *x = rig.main.findChild<QScrollBar *>("HScroll1");
        auto *y = rig.main.findChild<QScrollBar *>("VScroll1");
        const CoordinateTable &table = rig.main.coordinates();
        const auto selected = [&](int n) {
            QCOMPARE(rig.main.selectedField(), n);
            QCOMPARE(x->value(), int(*table.number(CoordinateTable::xEntry(n))));
            QCOMPARE(y->value(), int(*table.number(CoordinateTable::yEntry(n))));
            for (int i = 1; i <= 33; ++i)
                QCOMPARE(rig.main.fieldLabel(i)->color() == QColor(255, 0, 0), i == n);
        };
        press(Qt::Key_F6);
        selected(1);
        press(Qt::Key_Right); // the arrows move it at once
        QCOMPARE(table.entry(2), QString("2060"));
        pressKeys(QApplication::focusWidget(), {Qt::Key_Shift}, Qt::Key_F6);
        selected(33);
        press(Qt::Key_F6);
        press(Qt::Key_F6);
        selected(2);
        pressKeys(QApplication::focusWidget(), {Qt::Key_Shift}, Qt::Key_F6);
        selected(1);
        QCOMPARE(table.entry(2), QString("2060"));
        // The keys are named where the operator points at a field or a bar.
        QVERIFY(rig.main.fieldLabel(7)->toolTip().startsWith("F6, Shift+F6: "));
        QCOMPARE(x->toolTip(), rig.main.fieldLabel(7)->toolTip());
    }

    void settingsLinkAndButtonsByTab()
    {
        LanguageRig rig;
        QWidget *s = rig.registry.show(WindowKind::Settings);
        activate(s);
        auto *russian = s->findChild<QRadioButton *>("Option1");
        QTest::mouseClick(russian, Qt::LeftButton, {}, QPoint(5, russian->height() / 2));
        QVERIFY(tabTo("Label3"));
        press(Qt::Key_Return);
        QVERIFY(rig.editor() && rig.editor()->isVisible());

        activate(s);
        QVERIFY(tabTo("Image2"));
        QVERIFY(tabTo("Image1"));
        const QByteArray path = qgetenv("PATH");
        QTemporaryDir empty;
        qputenv("PATH", empty.path().toLocal8Bit());
        press(Qt::Key_Space); // the driver installer, which is not there
        qputenv("PATH", path);
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY(rig.messages.at(0).contains("setup.exe"));
    }
};

QTEST_MAIN(KeyboardTest)
#include "test_keyboard.moc"
