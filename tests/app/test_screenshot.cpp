// The main window in a real X server: shown, grabbed from the server with the
// panel open and closed, and saved as PNG files for anyone to look at
// (GRAVIK_SCREENSHOTS names the folder).
#include "widgets/windowregistry.h"
#include "support/startprogram.h"
#include "app/windows.h"
#include "editor/certificatewindow.h"
#include "support/programfolder.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QtTest>

using namespace gravik;

class ScreenshotTest : public QObject
{
    Q_OBJECT
private:
    QString m_out = qEnvironmentVariable("GRAVIK_SCREENSHOTS", QDir::currentPath());

    QImage grab(QWidget &w)
    {
        QTest::qWait(300); // let the window manager-less server paint
        return QGuiApplication::primaryScreen()->grabWindow(w.winId()).toImage();
    }

private slots:
    void mainWindowOpenAndClosed()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs a real X server (run under xvfb-run)");
        ProgramFolder folder;
        TestProgram program;
        auto &[certificate, db, blankRegister, registry, w] = program;
        QString error;
        QVERIFY2(w.startUp(&error), qPrintable(error));
        const std::pair<const char *, const char *> values[] = {
            {"Text1", "Иванов"},        {"Text2", "Иван"},          {"Text3", "Иванович"},
            {"Text4", "2026"},          {"Text11", "Школа № 1"},    {"Text5", "Петрова А.А."},
            {"Text12", "0042"},         {"Text13", "Иванов"},       {"Text14", "Иван"},
            {"Text15", "Иванұлы"},      {"Text16", "Петрова А.А."}, {"Text8", "25"},
            {"Text9", "06"},            {"Text10", "2026"},         {"Text30", "Алматы"}};
        for (const auto &[box, text] : values)
            w.box(box)->setText(QString::fromUtf8(text));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        QImage open = grab(w);
        QVERIFY(!open.isNull());
        QVERIFY(open.save(m_out + "/main-panel-open.png"));
        // The panel's light blue covers the page.
        QCOMPARE(open.pixelColor(open.width() / 2, open.height() - 5), QColor(200, 227, 251));

        w.closePanel();
        w.selectField(1);
        QImage closed = grab(w);
        QVERIFY(closed.save(m_out + "/main-panel-closed.png"));
        const QRect page(0, w.panel()->height() + 2, closed.width() - 30, closed.height() - w.panel()->height() - 40);
        int white = 0, red = 0, dark = 0;
        for (int y = page.top(); y < page.bottom(); y += 2)
            for (int x = page.left(); x < page.right(); x += 2) {
                const QColor c = closed.pixelColor(x, y);
                if (c == Qt::white)
                    ++white;
                else if (c.red() > 200 && c.green() < 90 && c.blue() < 90)
                    ++red; // the selected field
                else if (c.lightness() < 100)
                    ++dark; // the other fields' text
            }
        QVERIFY(white > 20 * (red + dark));
        QVERIFY(red > 10);
        QVERIFY(dark > 50);

        // The other windows as the buttons show them.
        const std::pair<WindowKind, const char *> windows[] = {
            {WindowKind::Baza, "database"}, {WindowKind::Print, "print"}, {WindowKind::Settings, "settings"},
            {WindowKind::Help, "about"},    {WindowKind::Lang, "translation-editor"}};
        for (const auto &[kind, name] : windows) {
            QWidget *win = registry.show(kind);
            QVERIFY2(win, name);
            QVERIFY(QTest::qWaitForWindowExposed(win));
            const QImage shot = grab(*win);
            QVERIFY2(!shot.isNull() && shot.width() > 100, name);
            QVERIFY(shot.save(m_out + "/" + name + ".png"));
            win->hide();
        }
    }
};

QTEST_MAIN(ScreenshotTest)
#include "test_screenshot.moc"
