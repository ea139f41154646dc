// The scanned blank under the preview: where it lands on screen, that it never
// reaches the page, its two files saved as a pair, its screen copy kept between
// runs, and pictures that cannot or must not be used.
#include "core/blankpicture.h"
#include "core/blankunderlay.h"
#include "core/controlnames.h"
#include "core/pagerenderer.h"
#include "core/twips.h"
#include "editor/blankcontrols.h"
#include "editor/blankview.h"
#include "editor/certificatewindow.h"
#include "i18n/languagerig.h"
#include "support/craftedpictures.h"
#include "support/dialoganswers.h"
#include "support/mainwindow.h"
#include "support/operator.h"
#include "support/programfolder.h"
#include "widgets/imagebutton.h"
#include "widgets/notices.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMenu>
#include <QPageSize>
#include <QPainter>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtEndian>
#include <QtTest>

#include <cmath>

#include <memory>

using namespace gravik;
using crafted::encoded;

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

// A small JPEG whose frame header claims width x height.
QByteArray jpegClaiming(int width, int height)
{
    QByteArray jpeg = encoded(markedPicture(300), "jpeg");
    const qsizetype sof = jpeg.indexOf("\xff\xc0");
    qToBigEndian<quint16>(quint16(height), jpeg.data() + sof + 5);
    qToBigEndian<quint16>(quint16(width), jpeg.data() + sof + 7);
    return jpeg;
}

// A small TIFF (Intel byte order) whose directory claims width x height.
QByteArray tiffClaiming(int width, int height)
{
    QByteArray tiff = encoded(markedPicture(300), "tiff");
    char *ifd = tiff.data() + qFromLittleEndian<quint32>(tiff.constData() + 4);
    const int entries = qFromLittleEndian<quint16>(ifd);
    for (int i = 0; i < entries; ++i) {
        char *e = ifd + 2 + 12 * i;
        const int tag = qFromLittleEndian<quint16>(e), type = qFromLittleEndian<quint16>(e + 2);
        if (tag != 256 && tag != 257)
            continue;
        const int value = tag == 256 ? width : height;
        if (type == 3) // SHORT
            qToLittleEndian<quint16>(quint16(value), e + 8);
        else
            qToLittleEndian<quint32>(quint32(value), e + 8);
    }
    return tiff;
}

// Where the marked picture lies at the page corner, at the screen's resolution, when taken as dpi.
QRect ownSizeAt(double dpi)
{
    return QRect(0, 0, qRound(1000 * twips::screenDpiX() / dpi), qRound(800 * twips::screenDpiY() / dpi));
}

QStringList filesUnder(const QString &dir)
{
    QStringList out;
    for (QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        out << it.next();
    out.sort();
    return out;
}

bool dark(const QImage &shot, QPointF twipsAt)
{
    const QPoint px(twips::toPixels(twipsAt.x(), twips::screenDpiX()), twips::toPixels(twipsAt.y(), twips::screenDpiY()));
    return qGray(shot.pixel(px)) < 100;
}

void settle(const BlankUnderlay &blank)
{
    QTRY_VERIFY_WITH_TIMEOUT(!blank.busy(), 60000);
}

// Chooses a picture as the menu does and waits; the refusal, or empty.
QString chooseAndWait(BlankUnderlay &blank, const QString &path)
{
    QSignalSpy refused(&blank, &BlankUnderlay::chooseFailed);
    blank.choose(path);
    settle(blank);
    return refused.isEmpty() ? QString() : refused.first().first().toString();
}

// Ctrl+A as the keyboard sends it, then the text.
void replaceText(QWidget *box, const QString &text)
{
    QTest::keyPress(box, Qt::Key_Control);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyRelease(box, Qt::Key_Control);
    QTest::keyClicks(box, text);
}

// The menu a right click on the empty page brings (as the platform delivers
// the click: a context menu event to the widget under it).
QPoint emptyPagePoint(const QWidget &w)
{
    for (int y = 2000; y < 8000; y += 120)
        for (int x = 200; x < 11000; x += 120)
            if (QPoint at = twips::toScreen(x, y, 0, 0).topLeft(); !w.childAt(at))
                return at;
    return {};
}

QMenu *openMenu(QWidget &w)
{
    const QPoint at = emptyPagePoint(w);
    QWidget *under = w.childAt(at);
    QWidget *target = under ? under : &w;
    QContextMenuEvent e(QContextMenuEvent::Mouse, target->mapFrom(&w, at), w.mapToGlobal(at));
    QApplication::sendEvent(target, &e);
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

// A click on item n of that menu.
void clickMenuItem(QWidget &w, int n)
{
    QMenu *menu = openMenu(w);
    QVERIFY(menu);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().at(n)).center());
}

// The offset window from the menu, with the keyboard.
QDialog *openOffsetWindow(QWidget &w)
{
    clickMenuItem(w, 2);
    auto *offset = w.findChild<QDialog *>("UnderlayOffset");
    if (offset)
        QApplication::setActiveWindow(offset); // as the window manager does on a click into it
    return offset && QTest::qWaitForWindowActive(offset) ? offset : nullptr;
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
        const QString chosen = m_folder->file("scan.png");
        const QByteArray original = encoded(markedPicture(200), "png");
        m_folder->write("scan.png", original);
        startWindow();
        m_answers->files << chosen;
        clickMenuItem(*m_window, 0); // choose
        settle(blank());
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

        // The offset window: millimetres typed move it at once and are kept in twips.
        QDialog *offset = openOffsetWindow(*m_window);
        QVERIFY(offset);
        for (auto [name, text] : {std::pair{"offsetX", "25.4"}, std::pair{"offsetY", "-12.7"}})
            replaceText(clickIntoText(offset->findChild<QDoubleSpinBox *>(name)), text);
        QCOMPARE(m_folder->read("data/blank.txt"), QByteArray("200\r\n1440\r\n-720\r\n1\r\n"));
        expectMarks({1440, -720}, true);

        QMenu *menu = openMenu(*m_window);
        QVERIFY(menu->actions().at(1)->isChecked());
        menu->close();
        clickMenuItem(*m_window, 1);
        expectMarks({1440, -720}, false);
        QCOMPARE(m_folder->read("data/blank.txt"), QByteArray("200\r\n1440\r\n-720\r\n0\r\n"));

        // The original may go: the next run takes the copy, hidden as it was
        // left, and the offset window shows millimetres again.
        QFile::remove(chosen);
        startWindow();
        expectMarks({1440, -720}, false);
        clickMenuItem(*m_window, 1);
        expectMarks({1440, -720}, true);
        offset = openOffsetWindow(*m_window);
        QVERIFY(offset);
        QCOMPARE(offset->findChild<QDoubleSpinBox *>("offsetY")->value(), -12.7);
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
        QCOMPARE(chooseAndWait(blank, m_folder->file("plain.png")), QString());
        QCOMPARE(blank.placement().dpi, 300.0);
        QCOMPARE(m_folder->read("data/blank.txt"), QByteArray("300\r\n0\r\n0\r\n1\r\n"));
        // A TIFF is kept as a PNG of the same pixels, naming its resolution.
        m_folder->write("scan.tif", encoded(markedPicture(150), "tiff"));
        QCOMPARE(chooseAndWait(blank, m_folder->file("scan.tif")), QString());
        QVERIFY(m_folder->read("data/blank.png").startsWith("\x89PNG"));
        const QImage copy(m_folder->file("data/blank.png"));
        QCOMPARE(copy.size(), QSize(1000, 800));
        QCOMPARE(blankpicture::dotsPerInch(copy), blank.placement().dpi);
        QCOMPARE(m_folder->read("data/blank.txt").left(5), QByteArray("150\r\n"));
    }

    void keptForTheScreenNeverBeyondThePage()
    {
        const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Inch);
        const QSize page(int(std::ceil(a4.width() * twips::screenDpiX())), int(std::ceil(a4.height() * twips::screenDpiY())));
        // An A4 scan whose file says 10 dpi: taken at the lowest sane resolution,
        // and only what lies over the page is kept.
        m_folder->write("data/blank.png", encoded(crafted::a4Scan(10), "png"));
        startWindow();
        QCOMPARE(blank().placement().dpi, blankpicture::MinDpi);
        QCOMPARE(blank().screenPicture().size(), page);
        QVERIFY(m_answers->messages.isEmpty());

        // blank.txt saying 10 dpi is refused with its file and line; the
        // picture lies at the corner at its own resolution.
        m_folder->write("data/blank.png", encoded(markedPicture(200), "png"));
        for (const char *dpi : {"10", "5000"}) {
            m_folder->write("data/blank.txt", QByteArray(dpi) + "\r\n300\r\n300\r\n1\r\n");
            startWindow();
            QCOMPARE(m_answers->messages.size(), 1);
            const QString told = m_answers->messages.takeFirst();
            QVERIFY2(told.contains(QDir::toNativeSeparators(m_folder->file("data/blank.txt"))) &&
                         told.contains("строка 1") && told.contains(dpi),
                     qPrintable(told));
            QCOMPARE(qRound(blank().placement().dpi), 200); // its file names whole dots a metre
            QCOMPARE(m_window->blank().view()->pictureRect(), ownSizeAt(200));
            notices::forgetFiles();
        }
    }

    void tooLargeIsRefusedAndTheWindowWaitsForNothing()
    {
        // At start-up: the start is over before the picture is read, then the
        // refusal names the file.
        m_folder->write("data/blank.png", crafted::inflatingPng(1000, 1000, qint64(1) << 30));
        m_window = std::make_unique<TestMainWindow>();
        QVERIFY(m_window->startUp(nullptr));
        QVERIFY(blank().busy());
        settle(blank());
        QCOMPARE(m_answers->messages.size(), 1);
        QVERIFY2(m_answers->messages[0].contains(QDir::toNativeSeparators(m_folder->file("data/blank.png"))) &&
                     m_answers->messages[0].contains("слишком велико"),
                 qPrintable(m_answers->messages[0]));
        QVERIFY(!m_window->blank().view()->showsPicture());
        m_answers->messages.clear();

        m_folder->write("data/blank.png", encoded(markedPicture(200), "png"));
        startWindow();
        const QByteArray kept = m_folder->read("data/blank.png");

        // Chosen from the menu: the window is free at once, the refusal comes later.
        m_folder->write("inflating.png", crafted::inflatingPng(1000, 1000, qint64(1) << 30));
        m_answers->files << m_folder->file("inflating.png");
        clickMenuItem(*m_window, 0);
        QVERIFY(blank().busy());
        QVERIFY(m_answers->messages.isEmpty());
        settle(blank());

        // One limit for the three formats, told as size, not damage.
        const QList<std::pair<QString, QByteArray>> files = {
            {"huge.png", crafted::pngClaiming(60000, 60000)},
            {"huge.jpg", jpegClaiming(60000, 60000)},
            {"huge.tif", tiffClaiming(60000, 60000)},
        };
        for (const auto &[name, bytes] : files) {
            m_folder->write(name, bytes);
            QVERIFY(!chooseAndWait(blank(), m_folder->file(name)).isEmpty());
        }

        QCOMPARE(m_answers->messages.size(), 1 + files.size());
        QStringList chosen = {"inflating.png"};
        for (const auto &f : files)
            chosen << f.first;
        for (qsizetype i = 0; i < chosen.size(); ++i) {
            const QString told = m_answers->messages[i];
            QVERIFY2(told.contains(QDir::toNativeSeparators(m_folder->file(chosen[i]))) &&
                         told.contains("слишком велико") && !told.contains("повреждено"),
                     qPrintable(told));
        }
        QCOMPARE(m_folder->read("data/blank.png"), kept);
        QVERIFY(m_window->blank().view()->showsPicture());
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
        m_folder->write("notes.jpg", "plain text");
        m_answers->files << m_folder->file("notes.jpg");
        clickMenuItem(*m_window, 0);
        settle(blank());
        QCOMPARE(m_answers->messages.size(), 1);
        QVERIFY(m_answers->messages[0].contains(QDir::toNativeSeparators(m_folder->file("notes.jpg"))));
        QCOMPARE(m_folder->read("data/blank.png"), kept);
        QVERIFY(m_window->blank().view()->showsPicture());
    }

    void aSaveCutShortLeavesBothOldOrBothNew()
    {
        // What a crash leaves while a chosen picture is saved: the new picture
        // written beside the old pair, then the new placement, then each moved
        // into place. Before the placement arrives, the old pair holds.
        const QByteArray oldPng = encoded(markedPicture(200), "png"), newPng = encoded(markedPicture(150), "png");
        const QByteArray oldTxt = "200\r\n0\r\n0\r\n1\r\n", newTxt = "150\r\n0\r\n0\r\n1\r\n";
        auto oldPair = [&] {
            m_folder->write("data/blank.png", oldPng);
            m_folder->write("data/blank.txt", oldTxt);
        };
        oldPair();
        m_folder->write("data/blank-new.png", newPng);
        startWindow();
        QCOMPARE(m_folder->read("data/blank.png"), oldPng);
        QCOMPARE(m_folder->read("data/blank.txt"), oldTxt);
        QCOMPARE(blank().placement().dpi, 200.0);

        // Once it has: the new pair, whichever move was still to come.
        for (bool pictureMoved : {false, true}) {
            oldPair();
            m_folder->write(pictureMoved ? "data/blank.png" : "data/blank-new.png", newPng);
            m_folder->write("data/blank-new.txt", newTxt);
            startWindow();
            QCOMPARE(m_folder->read("data/blank.png"), newPng);
            QCOMPARE(m_folder->read("data/blank.txt"), newTxt);
            QCOMPARE(blank().placement().dpi, 150.0);
            QCOMPARE(blank().screenPicture().size(), ownSizeAt(150).size());
        }
        QCOMPARE(QDir(m_folder->file("data")).entryList({"blank*"}, QDir::Files), QStringList({"blank.png", "blank.txt"}));
        QVERIFY(m_answers->messages.isEmpty());
    }

    void screenCopyKeptOutsideTheProgramFolder()
    {
        const QByteArray png = encoded(markedPicture(200), "png");
        m_folder->write("data/blank.png", png);
        const QStringList programFiles = filesUnder(m_folder->path());
        startWindow();
        QCOMPARE(filesUnder(m_folder->path()), programFiles);
        QCOMPARE(filesUnder(m_folder->cache()).size(), 1);
        const QDateTime stamp = QFileInfo(m_folder->file("data/blank.png")).lastModified();

        // Same size and time: the next start shows the kept copy without
        // decoding the file (which would fail, its pixels being gone).
        QByteArray damaged = png;
        damaged.replace(damaged.indexOf("IDAT") + 8, 64, QByteArray(64, '\x55'));
        m_folder->write("data/blank.png", damaged);
        QFile f(m_folder->file("data/blank.png"));
        QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(stamp, QFileDevice::FileModificationTime));
        f.close();
        startWindow();
        QVERIFY(m_window->blank().view()->showsPicture());
        QVERIFY(dark(m_window->grab().toImage(), QPointF(kMarks[0]) * 1440 / 200));

        // A file changed since is read again.
        QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(stamp.addSecs(60), QFileDevice::FileModificationTime));
        f.close();
        startWindow();
        QVERIFY(!m_window->blank().view()->showsPicture());
        QCOMPARE(m_answers->messages.size(), 1);
        QVERIFY(m_answers->messages[0].contains("повреждено"));
    }

    void captionsFollowTheLanguage()
    {
        m_answers.reset();
        m_folder.reset();
        LanguageRig rig;
        rig.dir.write("data/blank.png", encoded(markedPicture(200), "png"));
        QString error;
        QVERIFY2(rig.main.startUp(&error), qPrintable(error));
        rig.main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.main));
        QTest::mouseClick(rig.main.button("Image7"), Qt::LeftButton); // the page shows
        settle(rig.main.blank().underlay());
        QDialog *offset = openOffsetWindow(rig.main);
        QVERIFY(offset);

        // Each language chosen in the settings window, as the operator does.
        QWidget *settings = rig.registry.show(WindowKind::Settings);
        for (auto [option, caption, right] :
             {std::tuple{names::KazakhOption, "Бланк суретін таңдау…", "Оңға, мм:"},
              std::tuple{names::RussianOption, "Выбрать изображение бланка…", "Вправо, мм:"}}) {
            auto *button = settings->findChild<QRadioButton *>(QString::fromLatin1(option));
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, button->height() / 2));
            QMenu *menu = openMenu(rig.main);
            QVERIFY(menu);
            QCOMPARE(menu->actions().at(0)->text(), QString::fromUtf8(caption));
            menu->close();
            // The open offset window follows.
            QVERIFY(offset->findChildren<QLabel *>().first()->text() == QString::fromUtf8(right));
        }
    }

private:
    BlankUnderlay &blank() { return m_window->blank().underlay(); }

    // A fresh main window on the folder, shown with the page open, its blank in.
    void startWindow()
    {
        m_window.reset();
        m_window = std::make_unique<TestMainWindow>([] { return QStringList{"Times New Roman"}; });
        QString error;
        QVERIFY2(m_window->startUp(&error), qPrintable(error));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTest::mouseClick(m_window->button("Image7"), Qt::LeftButton); // the page shows
        settle(blank());
    }

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<CertificateWindow> m_window;
    std::unique_ptr<DialogAnswers> m_answers;
};

QTEST_MAIN(UnderlayTest)
#include "test_underlay.moc"
