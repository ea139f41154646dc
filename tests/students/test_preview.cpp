// The class preview on a 1366 x 768 screen: the whole window and its buttons
// on the screen, the pages turned with PageUp and PageDown, the sheet looked
// at closer and back.
#include "support/operator.h"
#include "widgets/pagepreview.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWheelEvent>
#include <QtTest>

using namespace gravik;

class PreviewTest : public QObject
{
    Q_OBJECT
private slots:
    void fitsTheScreenTurnsPagesAndZooms()
    {
        PagePreview p(
            3,
            [](int i) {
                Certificate c;
                c.setValue(Value::Surname, QStringLiteral("Ученик%1").arg(i + 1));
                return c;
            },
            QStringLiteral("Печать"), QStringLiteral("Rus"));
        p.show();
        p.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p));
        const QRect room = p.screen()->availableGeometry();
        QCOMPARE(room.size(), QSize(1366, 768));
        QVERIFY(p.height() <= room.height() * 0.9);
        QVERIFY(room.contains(p.geometry()));
        for (const char *name : {"previous", "next", "zoomIn", "zoomOut", "accept", "cancel"}) {
            auto *b = p.findChild<QPushButton *>(name);
            QVERIFY2(b && b->isVisible(), name);
            QVERIFY2(p.rect().contains(QRect(b->mapTo(&p, QPoint()), b->size())), name);
        }
        const QSize fit = p.sheet()->size();
        QVERIFY(fit.height() > room.height() / 2); // still a page one can read

        QWidget *keys = QApplication::focusWidget();
        QVERIFY(keys);
        pressKeys(keys, {}, Qt::Key_PageDown);
        QCOMPARE(p.counter()->text(), QString::fromUtf8("Страница 2 из 3"));
        pressKeys(keys, {}, Qt::Key_PageDown);
        pressKeys(keys, {}, Qt::Key_PageDown);
        QCOMPARE(p.page(), 2);
        pressKeys(keys, {}, Qt::Key_PageUp);
        QCOMPARE(p.page(), 1);

        pressKeys(keys, {Qt::Key_Control}, Qt::Key_Plus);
        pressKeys(keys, {Qt::Key_Control}, Qt::Key_Plus);
        QVERIFY(p.sheet()->width() > fit.width() * 1.5);
        pressKeys(keys, {Qt::Key_Control}, Qt::Key_0);
        QCOMPARE(p.sheet()->size(), fit);
        QTest::mouseClick(p.findChild<QPushButton *>("zoomIn"), Qt::LeftButton);
        QVERIFY(p.sheet()->width() > fit.width());
        QTest::mouseClick(p.findChild<QPushButton *>("zoomOut"), Qt::LeftButton);
        QCOMPARE(p.sheet()->size(), fit);
        QWidget *viewport = p.sheet()->parentWidget();
        const QPoint at = viewport->rect().center();
        QWheelEvent wheel(at, viewport->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::ControlModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        QVERIFY(p.sheet()->width() > fit.width());
    }
};

QTEST_MAIN(PreviewTest)
#include "test_preview.moc"
