// Ctrl+Z and Ctrl+Shift+Z over moves of fields and font choices, driven as the
// operator drives them, checked in the table and in 1.txt.
#include "core/coordinatetable.h"
#include "core/statefile.h"
#include "editor/certificatewindow.h"
#include "editor/fieldlabel.h"
#include "support/mainwindow.h"
#include "support/operator.h"
#include "support/programfolder.h"
#include "widgets/imagebutton.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

#include <memory>

using namespace gravik;

class UndoTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_folder = std::make_unique<ProgramFolder>();
        m_window = std::make_unique<TestMainWindow>([] { return QStringList{"Times New Roman", "Arial"}; });
        QString error;
        QVERIFY2(m_window->startUp(&error), qPrintable(error));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        m_folder.reset();
    }

    void movesAreTakenBackAndRedoneThroughTheStateFile()
    {
        CertificateWindow &w = *m_window;
        w.box("Text1")->setText("Surname");
        QTest::mouseClick(w.button("Image7"), Qt::LeftButton); // the panel closes
        QTest::mouseClick(w.fieldLabel(1), Qt::LeftButton);
        auto *h = w.findChild<QScrollBar *>("HScroll1");
        auto *v = w.findChild<QScrollBar *>("VScroll1");
        const QStringList start = w.coordinates().entries();
        auto x = [&] { return w.coordinates().entry(CoordinateTable::xEntry(1)); };
        auto y = [&] { return w.coordinates().entry(CoordinateTable::yEntry(1)); };

        auto undo = [&] { QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier); };
        auto redo = [&] { QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); };
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down); // an arrow key moves it too
        QCOMPARE(y(), QString("3620"));
        undo();
        QCOMPARE(y(), QString("3600"));

        QTest::mouseClick(h, Qt::LeftButton, {}, scrollBarPart(h, QStyle::SC_ScrollBarAddLine));
        QCOMPARE(x(), QString("2060"));
        QTest::mouseClick(h, Qt::LeftButton, {}, scrollBarPart(h, QStyle::SC_ScrollBarAddPage));
        QCOMPARE(x(), QString("2560"));
        // A drag of the thumb, through many values, is one step.
        const QPoint thumb = scrollBarPart(v, QStyle::SC_ScrollBarSlider);
        QTest::mousePress(v, Qt::LeftButton, {}, thumb);
        for (int dy = 4; dy <= 40; dy += 4)
            QTest::mouseMove(v, thumb + QPoint(0, dy));
        QTest::mouseRelease(v, Qt::LeftButton, {}, thumb + QPoint(0, 40));
        const QString dragged = y();
        QVERIFY(dragged.toInt() > 3600);

        undo();
        QCOMPARE(y(), QString("3600"));
        QCOMPARE(v->value(), 3600); // the bar follows the field back, and writes no new step
        QCOMPARE(w.fieldLabel(1)->yTwips(), 3600.0);
        undo();
        QCOMPARE(x(), QString("2060"));
        QCOMPARE(h->value(), 2060);
        redo();
        QCOMPARE(x(), QString("2560"));
        redo();
        QCOMPARE(y(), dragged);
        redo(); // nothing left to redo
        QCOMPARE(y(), dragged);
        for (int i = 0; i < 5; ++i) // more than there is: back to the start, no further
            undo();
        QCOMPARE(w.coordinates().entries(), start);
        QCOMPARE(w.fieldLabel(1)->xTwips(), 2040.0);
        redo();
        QCOMPARE(x(), QString("2060"));
        // A new move after undo drops what could be redone.
        QTest::mouseClick(h, Qt::LeftButton, {}, scrollBarPart(h, QStyle::SC_ScrollBarSubLine));
        redo();
        QCOMPARE(x(), QString("2040"));

        QVERIFY(w.shutDown());
        const auto state = StateFile::load(m_folder->file("1.txt"), nullptr);
        QVERIFY(state);
        QCOMPARE(state->line(StateFile::FirstCoordinateLine + CoordinateTable::xEntry(1) - 1), QString("2040"));
        QCOMPARE(state->line(StateFile::FirstCoordinateLine + CoordinateTable::yEntry(1) - 1), QString("3600"));
        undo(); // the entry before was 2060
        QCOMPARE(x(), QString("2060"));
    }

    void aFontChoiceIsTakenBackInItsOwnBox()
    {
        CertificateWindow &w = *m_window;
        auto *size = w.findChild<QComboBox *>("Combo11");
        auto *name = w.findChild<QComboBox *>("Combo9");
        QCOMPARE(size->currentText(), QString("10"));
        const QFont start = w.fieldFont();
        QTest::keyClick(clickIntoText(size), Qt::Key_Down);
        QCOMPARE(w.fieldFont().pointSizeF(), 11.0);
        QTest::keyClick(clickIntoText(name), Qt::Key_Down); // the list rebuilt, its first entry
        QCOMPARE(w.fieldFont().family(), QString("Arial"));

        // Ctrl+Z where the keyboard is: in the font box, whose text would otherwise take it.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.fieldFont().family(), QString("Times New Roman"));
        QCOMPARE(name->currentText(), QString("Times New Roman"));
        QCOMPARE(w.fieldFont().pointSizeF(), 11.0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.fieldFont(), start);
        QCOMPARE(size->currentText(), QString("10"));
        QCOMPARE(w.fieldLabel(33)->font().pointSizeF(), 10.0);
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(size->currentText(), QString("11"));
        QVERIFY(w.shutDown());
        const auto state = StateFile::load(m_folder->file("1.txt"), nullptr);
        QCOMPARE(state->line(StateFile::SizeLine), QString("11"));
        QCOMPARE(state->line(StateFile::FontLine), QString("Times New Roman"));
    }

private:
    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<CertificateWindow> m_window;
};

QTEST_MAIN(UndoTest)
#include "test_undo.moc"
