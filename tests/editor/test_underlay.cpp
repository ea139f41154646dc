// The scanned blank under the preview: where it lands on screen, that it never
// reaches the page, its two files, and a picture that cannot be used.
#include "core/blankunderlay.h"
#include "core/pagerenderer.h"
#include "core/twips.h"
#include "editor/blankcontrols.h"
#include "editor/blankview.h"
#include "editor/certificatewindow.h"
#include "support/mainwindow.h"
#include "support/dialoganswers.h"
#include "support/operator.h"
#include "support/programfolder.h"
#include "widgets/imagebutton.h"
#include "widgets/notices.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QSpinBox>
#include <QtEndian>
#include <QtTest>

#include <memory>

using namespace gravik;

namespace {

// A white picture with black square marks (centres in its own pixels).
constexpr int kHalf = 12;
const QList<QPoint> kMarks = {{100, 400}, {900, 700}};

QImage markedPicture(double dpi)
{
    QImage img(1000, 800, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    for (const QPoint &m : kMarks)
        p.fillRect(QRect(m - QPoint(kHalf, kHalf), QSize(2 * kHalf, 2 * kHalf)), Qt::black);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    return img;
}

// A PNG's bytes without its resolution chunk (pHYs).
QByteArray withoutResolution(QByteArray png)
{
    for (qsizetype at = 8; at + 8 <= png.size();) {
        const quint32 len = qFromBigEndian<quint32>(png.constData() + at);
        if (png.mid(at + 4, 4) == "pHYs")
            return png.remove(at, 12 + len);
        at += 12 + len;
    }
    return png;
}

QByteArray encoded(const QImage &img, const char *format)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    img.save(&b, format);
    return out;
}

bool dark(const QImage &shot, QPointF twipsAt)
{
    const QPoint px(twips::toPixels(twipsAt.x(), twips::screenDpiX()), twips::toPixels(twipsAt.y(), twips::screenDpiY()));
    return qGray(shot.pixel(px)) < 100;
}

} // namespace

class UnderlayTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_folder = std::make_unique<ProgramFolder>();
        m_answers = std::make_unique<DialogAnswers>();
    }
    void cleanup()
    {
        m_window.reset();
        m_answers.reset();
        notices::forgetFiles();
        m_folder.reset();
    }

    void lyingAtTrueSizeOffsetAndShownOrHidden()
    {
        m_chosen = m_folder->file("scan.png");
        const QByteArray original = encoded(markedPicture(200), "png");
        m_folder->write("scan.png", original);
        startWindow();
        m_answers->files << m_chosen;
        clickMenuItem(0); // choose
        QVERIFY(m_answers->messages.isEmpty());
        QCOMPARE(m_folder->read("data/blank.png"), original);
        QCOMPARE(m_folder->read("data/blank.txt"), QByteArray("200\r\n0\r\n0\r\n1\r\n"));

        // One picture pixel is 1440 / 200 twips; mark centres land there, their
        // sides a mark's width away are paper.
        auto expectMarks = [&](QPointF offset, bool shown) {
            const QImage shot = m_window->grab().toImage();
            for (const QPoint &m : kMarks) {
                const QPointF at = offset + QPointF(m) * 1440 / 200;
                QCOMPARE(dark(shot, at), shown);
                for (QPointF side : {QPointF(2, 0), QPointF(-2, 0), QPointF(0, 2), QPointF(0, -2)})
                    QVERIFY(!dark(shot, at + side * kHalf * 1440 / 200));
            }
        };
        expectMarks({0, 0}, true);

        // The offset window: typed values move it at once and are kept.
        QDialog *offset = openOffsetWindow();
        QVERIFY(offset);
        for (auto [name, text] : {std::pair{"offsetX", "600"}, std::pair{"offsetY", "-360"}}) {
            QWidget *box = clickIntoText(offset->findChild<QSpinBox *>(name));
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(box, text);
        }
        QCOMPARE(m_folder->read("data/blank.txt"), QByteArray("200\r\n600\r\n-360\r\n1\r\n"));
        expectMarks({600, -360}, true);

        QMenu *menu = openMenu();
        QVERIFY(menu->actions().at(1)->isChecked());
        menu->close();
        clickMenuItem(1);
        expectMarks({600, -360}, false);
        QCOMPARE(m_folder->read("data/blank.txt"), QByteArray("200\r\n600\r\n-360\r\n0\r\n"));

        // The original may go: the next run takes the copy, hidden as it was left.
        QFile::remove(m_chosen);
        startWindow();
        expectMarks({600, -360}, false);
        clickMenuItem(1);
        expectMarks({600, -360}, true);
        QVERIFY(m_answers->messages.isEmpty());
    }

    void neverOnThePrintedPage()
    {
        m_folder->write("data/blank.png", encoded(markedPicture(200), "png"));
        startWindow();
        m_window->box("Text1")->setText("Surname");
        QVERIFY(m_window->blank().view()->showsPicture());
        QVERIFY(dark(m_window->grab().toImage(), QPointF(kMarks[0]) * 1440 / 200));

        // The page as printer and PDF get it: ink only inside the fields' boxes.
        const Certificate c = m_window->document().certificate();
        constexpr double dpi = 150;
        QImage paper(qRound(8.27 * dpi), qRound(11.69 * dpi), QImage::Format_RGB32);
        paper.fill(Qt::white);
        QPainter p(&paper);
        page::render(p, c, dpi, dpi);
        QRegion boxes;
        for (const page::FieldContent &f : page::contents(c))
            boxes += page::deviceBox(p, f, dpi, dpi).toAlignedRect().adjusted(-2, -2, 2, 2);
        p.end();
        int ink = 0;
        for (int y = 0; y < paper.height(); ++y)
            for (int x = 0; x < paper.width(); ++x)
                if (qGray(paper.pixel(x, y)) < 200) {
                    ++ink;
                    QVERIFY2(boxes.contains(QPoint(x, y)), qPrintable(QString("ink at %1, %2").arg(x).arg(y)));
                }
        QVERIFY(ink > 0); // the surname is there
    }

    void resolutionAndFormatOfTheCopy()
    {
        // A picture naming no resolution is taken as 300 dpi.
        m_folder->write("plain.png", withoutResolution(encoded(markedPicture(200), "png")));
        BlankUnderlay blank;
        QVERIFY(blank.choose(m_folder->file("plain.png"), nullptr));
        QCOMPARE(blank.placement().dpi, 300.0);
        QCOMPARE(m_folder->read("data/blank.txt"), QByteArray("300\r\n0\r\n0\r\n1\r\n"));
        // A TIFF is kept as a PNG of the same pixels, naming its resolution.
        m_folder->write("scan.tif", encoded(markedPicture(150), "tiff"));
        QVERIFY(blank.choose(m_folder->file("scan.tif"), nullptr));
        QVERIFY(m_folder->read("data/blank.png").startsWith("\x89PNG"));
        const QImage copy(m_folder->file("data/blank.png"));
        QCOMPARE(copy.size(), QSize(1000, 800));
        QCOMPARE(BlankUnderlay::dotsPerInch(copy), blank.placement().dpi);
        QCOMPARE(m_folder->read("data/blank.txt").left(5), QByteArray("150\r\n"));
    }

    void aPictureThatCannotBeUsed()
    {
        // Named by blank.txt, but missing; then not a picture: no underlay, one message.
        m_folder->write("data/blank.txt", "300\r\n0\r\n0\r\n1\r\n");
        for (const QByteArray &bytes : {QByteArray(), QByteArray("not a picture")}) {
            if (!bytes.isEmpty())
                m_folder->write("data/blank.png", bytes);
            startWindow();
            QVERIFY(!m_window->blank().view()->showsPicture());
            QCOMPARE(m_answers->messages.size(), 1);
            QVERIFY2(m_answers->messages[0].contains(QDir::toNativeSeparators(m_folder->file("data/blank.png"))),
                     qPrintable(m_answers->messages[0]));
            m_answers->messages.clear();
            notices::forgetFiles();
        }
        // A bad placement line is told with its line; the picture lies at the corner.
        m_folder->write("data/blank.png", encoded(markedPicture(200), "png"));
        m_folder->write("data/blank.txt", "300\r\n0\r\nfar\r\n1\r\n");
        startWindow();
        QCOMPARE(m_answers->messages.size(), 1);
        QVERIFY(m_answers->messages[0].contains("blank.txt") && m_answers->messages[0].contains("3") && m_answers->messages[0].contains("far"));
        QVERIFY(m_window->blank().view()->showsPicture());
        QCOMPARE(m_window->blank().view()->pictureRect().topLeft(), QPoint(0, 0));

        // Choosing a file that is no picture changes nothing and says which file.
        m_answers->messages.clear();
        const QByteArray kept = m_folder->read("data/blank.png");
        m_chosen = m_folder->file("notes.jpg");
        m_folder->write("notes.jpg", "plain text");
        m_answers->files << m_chosen;
        clickMenuItem(0);
        QCOMPARE(m_answers->messages.size(), 1);
        QVERIFY(m_answers->messages[0].contains(QDir::toNativeSeparators(m_chosen)));
        QCOMPARE(m_folder->read("data/blank.png"), kept);
        QVERIFY(m_window->blank().view()->showsPicture());
    }

    void captionsFollowTheLanguage()
    {
        m_folder->write("data/blank.png", encoded(markedPicture(200), "png"));
        startWindow();
        QDialog *offset = openOffsetWindow();
        QVERIFY(offset);
        for (auto [code, caption] : {std::pair{"Kaz", "Бланк суретін таңдау…"}, std::pair{"Rus", "Выбрать изображение бланка…"}}) {
            m_window->languageCode().setText(code);
            QMenu *menu = openMenu();
            QCOMPARE(menu->actions().at(0)->text(), QString::fromUtf8(caption));
            menu->close();
        }
        m_window->languageCode().setText("Kaz"); // the open offset window follows
        QCOMPARE(offset->windowTitle(), QString::fromUtf8("Бланктің ығысуы"));
    }

private:
    void startWindow()
    {
        m_window.reset();
        m_window = std::make_unique<TestMainWindow>([] { return QStringList{"Times New Roman"}; });
        QString error;
        QVERIFY2(m_window->startUp(&error), qPrintable(error));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTest::mouseClick(m_window->button("Image7"), Qt::LeftButton); // the page shows
    }

    // The menu a right click on the empty page brings (as the platform
    // delivers the click: a context menu event to the widget under it).
    QMenu *openMenu()
    {
        const QPoint at = emptyPagePoint();
        QWidget *under = m_window->childAt(at);
        QWidget *target = under ? under : m_window.get();
        QContextMenuEvent e(QContextMenuEvent::Mouse, target->mapFrom(m_window.get(), at), m_window->mapToGlobal(at));
        QApplication::sendEvent(target, &e);
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    }

    // A click on item n of that menu.
    void clickMenuItem(int n)
    {
        QMenu *menu = openMenu();
        QVERIFY(menu);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().at(n)).center());
    }

    // The offset window from the menu, with the keyboard.
    QDialog *openOffsetWindow()
    {
        clickMenuItem(2);
        auto *offset = m_window->findChild<QDialog *>("UnderlayOffset");
        if (offset)
            QApplication::setActiveWindow(offset); // as the window manager does on a click into it
        return offset && QTest::qWaitForWindowActive(offset) ? offset : nullptr;
    }

    QPoint emptyPagePoint() const
    {
        for (int y = 2000; y < 8000; y += 120)
            for (int x = 200; x < 11000; x += 120)
                if (QPoint at = twips::toScreen(x, y, 0, 0).topLeft(); !m_window->childAt(at))
                    return at;
        return {};
    }

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<CertificateWindow> m_window;
    std::unique_ptr<DialogAnswers> m_answers;
    QString m_chosen;
};

QTEST_MAIN(UnderlayTest)
#include "test_underlay.moc"
