#include "core/twips.h"
#include "support/mainwindow.h"
#include "editor/certificatewindow.h"
#include "editor/fieldlabel.h"
#include "widgets/imagebutton.h"
#include "support/operator.h"
#include "support/programfolder.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

#include <memory>

using namespace gravik;

namespace {

QStringList g_fonts = {"Times New Roman", "Arial", "Courier New", "Arial", "DejaVu Sans"};
int g_fontCalls = 0;

std::unique_ptr<CertificateWindow> shownWindow()
{
    auto w = std::make_unique<TestMainWindow>([] {
        ++g_fontCalls;
        return g_fonts;
    });
    QString error;
    if (!w->startUp(&error))
        qWarning() << error;
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning() << "window not exposed";
    return w;
}

QPoint centreOf(QWidget *w) { return w->rect().center(); }

} // namespace

class LayoutEditingTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_folder = std::make_unique<ProgramFolder>(); }
    void cleanup() { m_folder.reset(); }

    // ---- selection and positioning ----

    void scrollBarsMoveNothingBeforeASelection()
    {
        auto w = shownWindow();
        QTest::mouseClick(w->button("Image7"), Qt::LeftButton);
        auto *h = w->findChild<QScrollBar *>("HScroll1");
        auto *v = w->findChild<QScrollBar *>("VScroll1");
        QCOMPARE(h->value(), 0);
        QCOMPARE(v->value(), 1550);
        QCOMPARE(h->singleStep(), 20);
        QCOMPARE(h->pageStep(), 500);
        QCOMPARE(v->maximum(), 8180);
        QCOMPARE(h->maximum(), 11250);
        const QStringList before = w->coordinates().entries();
        h->triggerAction(QAbstractSlider::SliderPageStepAdd);
        v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(w->coordinates().entries(), before);
        QCOMPARE(w->fieldLabel(1)->xTwips(), 2040.0);
    }

    void clickSelectsAndStepsMoveTheField()
    {
        auto w = shownWindow();
        QTest::mouseClick(w->button("Image7"), Qt::LeftButton);
        w->box("Text1")->setText("Surname"); // something to click on
        FieldLabel *l1 = w->fieldLabel(1);
        QTest::mouseClick(l1, Qt::LeftButton, {}, centreOf(l1));
        QCOMPARE(w->selectedField(), 1);
        auto *h = w->findChild<QScrollBar *>("HScroll1");
        auto *v = w->findChild<QScrollBar *>("VScroll1");
        QCOMPARE(h->value(), 2040);
        QCOMPARE(v->value(), 3600);
        QCOMPARE(l1->color(), QColor(255, 0, 0));
        for (int n = 2; n <= 33; ++n)
            QCOMPARE(w->fieldLabel(n)->color(), CertificateWindow::normalFieldColor());

        h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(w->coordinates().entry(2), QString("2060"));
        QCOMPARE(l1->xTwips(), 2060.0);
        QCOMPARE(l1->x(), twips::toPixels(2060, twips::screenDpiX()));
        h->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(w->coordinates().entry(2), QString("2560"));
        v->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(w->coordinates().entry(1), QString("3580"));
        QCOMPARE(l1->yTwips(), 3580.0);

        // Dragging: the field follows every value the thumb passes.
        for (int y = 3600; y <= 4000; y += 37) {
            v->setSliderPosition(y);
            QCOMPARE(w->coordinates().entry(1), QString::number(y));
            QCOMPARE(l1->yTwips(), double(y));
        }

        // A second field's selection moves neither field.
        w->box("Text11")->setText("School");
        FieldLabel *l5 = w->fieldLabel(5);
        const QStringList before = w->coordinates().entries();
        QTest::mouseClick(l5, Qt::LeftButton, {}, centreOf(l5));
        QCOMPARE(w->coordinates().entries(), before);
        QCOMPARE(h->value(), 2280);
        QCOMPARE(v->value(), 4440);
        QCOMPARE(l1->color(), CertificateWindow::normalFieldColor());
        QCOMPARE(l5->color(), QColor(255, 0, 0));
        QTest::mouseClick(l5, Qt::LeftButton, {}, centreOf(l5));
        QCOMPARE(w->coordinates().entries(), before);
    }

    void movedPositionSurvivesARestart()
    {
        {
            auto w = shownWindow();
            QTest::mouseClick(w->button("Image7"), Qt::LeftButton);
            w->selectField(9);
            w->findChild<QScrollBar *>("HScroll1")->setValue(3000);
            w->findChild<QScrollBar *>("VScroll1")->setValue(6000);
            QVERIFY(w->shutDown());
        }
        auto w = shownWindow();
        QCOMPARE(w->selectedField(), 0);
        QCOMPARE(w->fieldLabel(9)->xTwips(), 3000.0);
        QCOMPARE(w->fieldLabel(9)->yTwips(), 6000.0);
        QCOMPARE(w->fieldLabel(9)->x(), twips::toPixels(3000, twips::screenDpiX()));
    }

    void handEditedEntriesAreClampedOnSelection()
    {
        m_folder->setLine("1.txt", 33 + 2 * 2 - 1, "99999"); // field 2's X
        m_folder->setLine("1.txt", 33 + 2 * 2 - 2, "100.6"); // field 2's Y
        m_folder->setLine("1.txt", 33 + 2 * 3 - 1, "3000000000"); // field 3's X: past int
        auto w = shownWindow();
        QCOMPARE(w->fieldLabel(2)->xTwips(), 99999.0); // placed as stored
        w->selectField(2);
        QCOMPARE(w->coordinates().entry(4), QString("11250"));
        QCOMPARE(w->coordinates().entry(3), QString("1550"));
        QCOMPARE(w->fieldLabel(2)->xTwips(), 11250.0);
        QCOMPARE(w->fieldLabel(2)->yTwips(), 1550.0);
        w->selectField(3);
        QCOMPARE(w->coordinates().entry(6), QString("11250"));
        QVERIFY(w->shutDown());
        QVERIFY(m_folder->read("1.txt").contains("\r\n1550\r\n11250\r\n"));
    }

    // ---- font controls ----

    void choosingAppliesToAllFields()
    {
        auto w = shownWindow();
        auto *style = w->findChild<QComboBox *>("Combo10");
        auto *size = w->findChild<QComboBox *>("Combo11");
        auto *name = w->findChild<QComboBox *>("Combo9");
        style->setFocus();
        const auto choose = [](QComboBox *c, int index) {
            c->setCurrentIndex(index);
            emit c->activated(index);
        };
        choose(style, 3); // жирный курсивный
        for (int n = 1; n <= 33; ++n)
            QVERIFY(w->fieldLabel(n)->font().bold() && w->fieldLabel(n)->font().italic());
        choose(style, 0); // обычный
        for (int n = 1; n <= 33; ++n)
            QVERIFY(!w->fieldLabel(n)->font().bold() && !w->fieldLabel(n)->font().italic());
        choose(size, 5);
        QCOMPARE(w->fieldLabel(33)->font().pointSizeF(), 12.0);
        choose(size, 0);
        QCOMPARE(w->fieldLabel(1)->font().pointSizeF(), 7.0);
        choose(name, name->findText("Arial"));
        for (int n = 1; n <= 33; ++n)
            QCOMPARE(w->fieldLabel(n)->font().family(), QString("Arial"));
        // The keyboard chooses too: the arrow key moves through the list and applies.
        style->setFocus();
        QTest::keyClick(style, Qt::Key_Down);
        QCOMPARE(style->currentIndex(), 1);
        QVERIFY(w->fieldLabel(4)->font().bold());
    }

    void styleAndSizeListsRefuseTyping()
    {
        auto w = shownWindow();
        for (const char *name : {"Combo10", "Combo11"}) {
            auto *c = w->findChild<QComboBox *>(name);
            const QString before = c->currentText();
            const QFont font = w->fieldFont();
            QWidget *focus = clickIntoText(c);
            QTest::keyClicks(focus, "x9");
            for (Qt::Key k : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_F5, Qt::Key_Insert, Qt::Key_CapsLock})
                QTest::keyClick(focus, k);
            QCOMPARE(c->currentText(), before);
            QCOMPARE(w->fieldFont(), font);
        }
        // The arrow keys step from the entry shown since the start (1.txt holds "10").
        auto *size = w->findChild<QComboBox *>("Combo11");
        QCOMPARE(size->currentText(), QString("10"));
        QTest::keyClick(clickIntoText(size), Qt::Key_Down);
        QCOMPARE(size->currentText(), QString("11"));
        QCOMPARE(w->fieldFont().pointSizeF(), 11.0);
        auto *style = w->findChild<QComboBox *>("Combo10");
        QTest::keyClick(clickIntoText(style), Qt::Key_Up);
        QCOMPARE(style->currentText(), QString::fromUtf8("обычный"));
    }

    void aKeyInTheFontListRebuildsItFirst()
    {
        auto w = shownWindow();
        auto *c = w->findChild<QComboBox *>("Combo9");
        QCOMPARE(c->currentText(), QString("Times New Roman"));
        const QFont applied = w->fieldFont();
        g_fonts << "Zeta Sans" << "Zeta Sans";
        const int calls = g_fontCalls;
        QWidget *focus = clickIntoText(c);
        QTest::keyClicks(focus, "zq");
        QCOMPARE(g_fontCalls, calls + 2); // each key rebuilds
        QCOMPARE(c->currentText(), QString("q")); // each key lands in an emptied text
        QCOMPARE(c->count(), 5);
        QCOMPARE(c->itemText(4), QString("Zeta Sans"));
        QCOMPARE(w->fieldFont(), applied); // typing applies nothing
        QCOMPARE(w->document().certificate().toState().line(30), QString("q"));
        g_fonts.removeAll("Zeta Sans");

        // An exact name put in, then leaving the box or Return, applies nothing either.
        focus = clickIntoText(c);
        c->lineEdit()->setText("Arial"); // as a paste would, which is no key
        clickIntoText(w->findChild<QComboBox *>("Combo12"));
        QCOMPARE(c->currentText(), QString("Arial"));
        QCOMPARE(w->fieldFont(), applied);
        QCOMPARE(w->document().certificate().toState().line(30), QString("Arial"));
        QTest::keyClick(clickIntoText(c), Qt::Key_Return);
        QCOMPARE(w->fieldFont(), applied);
        c->lineEdit()->setText("Arial");
        // Tab moves on without emptying the text.
        QTest::keyClick(clickIntoText(c), Qt::Key_Tab);
        QCOMPARE(c->currentText(), QString("Arial"));
    }

    // A key that types nothing into the font box and moves nothing in its
    // list passes through it: the stored name stays. Each comes as the fingers
    // make it, the modifier keys pressed first.
    void keysThatTypeNothingLeaveTheFontName()
    {
        auto w = shownWindow();
        auto *c = w->findChild<QComboBox *>("Combo9");
        const int calls = g_fontCalls;
        QWidget *box = clickIntoText(c);
        pressKeys(box, {Qt::Key_Control}, Qt::Key_P);
        pressKeys(box, {Qt::Key_Control}, Qt::Key_Z);
        pressKeys(box, {Qt::Key_Control, Qt::Key_Shift}, Qt::Key_Z);
        pressKeys(box, {Qt::Key_Shift});
        pressKeys(box, {Qt::Key_Alt, Qt::Key_Shift}); // the layout switch
        pressKeys(box, {Qt::Key_Super_L});
        pressKeys(box, {}, Qt::Key_CapsLock);
        pressKeys(box, {}, Qt::Key_Escape);
        pressKeys(box, {}, Qt::Key_F5);
        pressKeys(box, {Qt::Key_Alt}, Qt::Key_F);
        QCOMPARE(QApplication::focusWidget(), box);
        pressKeys(box, {Qt::Key_Shift}, Qt::Key_Backtab);
        QVERIFY(QApplication::focusWidget() != box);
        QCOMPARE(g_fontCalls, calls);
        QCOMPARE(c->currentText(), QString("Times New Roman"));
        QCOMPARE(w->document().certificate().toState().line(30), QString("Times New Roman"));

        // A list key still rebuilds first and then picks the first name.
        pressKeys(clickIntoText(c), {}, Qt::Key_Down);
        QCOMPARE(g_fontCalls, calls + 1);
        QCOMPARE(c->currentText(), QString("Arial"));
        QCOMPARE(w->fieldFont().family(), QString("Arial"));
        QVERIFY(w->shutDown());
        QCOMPARE(m_folder->read("1.txt").split('\n').value(29), QByteArray("Arial\r"));
    }

    void anEmptyFontSetLeavesTheListEmpty()
    {
        const QStringList saved = g_fonts;
        g_fonts.clear();
        auto w = shownWindow();
        QCOMPARE(w->findChild<QComboBox *>("Combo9")->count(), 0);
        g_fonts = saved;
    }

    void fieldIsSelectedByAClickNotAPress()
    {
        auto w = shownWindow();
        QTest::mouseClick(w->button("Image7"), Qt::LeftButton); // the page shows
        FieldLabel *l = w->fieldLabel(2);
        QTest::mousePress(l, Qt::LeftButton, {}, centreOf(l));
        QCOMPARE(w->selectedField(), 0);
        QTest::mouseRelease(l, Qt::LeftButton, {}, centreOf(l));
        QCOMPARE(w->selectedField(), 2);
    }

    void onlyTheLetterCaptionsTakeTheButtonColour()
    {
        auto w = shownWindow();
        const auto colour = [&](const char *name) {
            return w->findChild<QLabel *>(name)->palette().color(QPalette::WindowText);
        };
        for (const char *name : {"Label34", "Label35"})
            QCOMPARE(colour(name), QColor(Qt::black));
        for (const char *name : {"Label55", "Label56", "Label57", "Label58"})
            QCOMPARE(colour(name), CertificateWindow::normalFieldColor());
    }

    // ---- picture buttons ----

    void hoverFollowsMovesWithAButtonHeld()
    {
        auto w = shownWindow();
        ImageButton *settings = w->button("Image11");
        QTest::mousePress(settings, Qt::LeftButton, {}, centreOf(settings));
        w->button("Image8")->showHighlightedPicture();
        // The move goes to the button that took the mouse, wherever the cursor is.
        QMouseEvent move(QEvent::MouseMove, QPointF(centreOf(settings)), settings->mapToGlobal(QPointF(centreOf(settings))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(settings, &move);
        QVERIFY(settings->highlighted());
        QVERIFY(!w->button("Image8")->highlighted());
        QTest::mouseRelease(settings, Qt::LeftButton, {}, QPoint(-50, -50));
    }

    void hoverTableRowByRow()
    {
        auto w = shownWindow();
        const QStringList all = {"Image5", "Image6", "Image7", "Image8", "Image11", "Image14", "Image1"};
        const auto state = [&] {
            QString s;
            for (const QString &b : all)
                s += w->button(b)->highlighted() ? 'H' : 'N';
            return s;
        };
        const auto over = [&](QWidget *target) {
            QTest::mouseMove(target, centreOf(target));
            QCoreApplication::processEvents();
        };
        const auto highlightAll = [&] {
            for (const QString &b : all)
                w->button(b)->showHighlightedPicture();
        };
        QCOMPARE(state(), QString("NNNNNNN"));
        const std::pair<const char *, const char *> rows[] = {
            {"Image5", "HNNNHHH"}, {"Image6", "NHNNHHH"}, {"Image7", "NNHNHHH"}, {"Image8", "NNNHNNH"},
            {"Image11", "HHHNHNH"}, {"Image14", "HHHNNHH"}, {"Image1", "HHHHHHH"}, {"Frame1", "NNNNNNN"},
            {"Label54", "NNNNNNN"}, {"Text1", "HHHHHHH"}, {"Label38", "HHHHHHH"}, {"Combo12", "HHHHHHH"}};
        for (const auto &[source, expected] : rows) {
            highlightAll();
            QWidget *target = w->findChild<QWidget *>(source);
            QVERIFY2(target, source);
            if (QLatin1String(source) == QLatin1String("Frame1"))
                QTest::mouseMove(w->panel(), QPoint(5, twips::toPixels(800, twips::screenDpiY())));
            else
                over(target);
            QCoreApplication::processEvents();
            QCOMPARE(state(), QString::fromLatin1(expected));
        }
        // The window's own background shows below the closed panel.
        QTest::mouseClick(w->button("Image7"), Qt::LeftButton);
        highlightAll();
        QTest::mouseMove(w.get(), QPoint(twips::toPixels(300, twips::screenDpiX()),
                                         twips::toPixels(2000, twips::screenDpiY())));
        QCoreApplication::processEvents();
        QCOMPARE(state(), QString("NNNNHHH"));
    }

    void pressingShowsTheNormalPicture()
    {
        auto w = shownWindow();
        ImageButton *b = w->button("Image8");
        QTest::mouseMove(b, centreOf(b));
        QCoreApplication::processEvents();
        QVERIFY(b->highlighted());
        QTest::mousePress(b, Qt::LeftButton, {}, centreOf(b));
        QVERIFY(!b->highlighted());
        QTest::mouseRelease(b, Qt::LeftButton, {}, centreOf(b));
        QVERIFY(!b->highlighted()); // releasing changes no picture
    }

private:
    std::unique_ptr<ProgramFolder> m_folder;
};

QTEST_MAIN(LayoutEditingTest)
#include "test_layoutediting.moc"
