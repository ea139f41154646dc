#include "bazarig.h"

#include "core/twips.h"
#include "widgets/imagebutton.h"
#include "database/spreadsheetml.h"
#include "database/database.h"
#include "students/spreadsheetview.h"
#include "database/workbookmodel.h"
#include "support/operator.h"
#include "support/programfolder.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QTableView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include <ctime>

using namespace gravik;

namespace {

const QString kFixture = QStringLiteral(GRAVIK_FIXTURES_DIR "/libreoffice/Baza.xml");

QByteArray fixtureBytes()
{
    QFile f(kFixture);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The window as the registry gives it to any user of the grid.
StudentDatabaseWindow *baza(WindowRegistry &r) { return r.get<StudentDatabaseWindow>(WindowKind::Baza); }

void edit(StudentDatabaseWindow *w, int row, int column, const QString &text)
{
    WorkbookModel *m = w->model();
    QVERIFY(m->setData(m->index(row - 1, column - 1), text));
}

// Closes with the close box; a closed window is gone before the next use.
bool closeWindow(QWidget *w)
{
    const bool closed = w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return closed;
}

// Answers the next modal message box by clicking the button with this text,
// after noting what it showed.
void answerNextBox(const QString &button, QString *seen)
{
    QTimer::singleShot(0, [button, seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        QStringList buttons;
        QAbstractButton *target = nullptr;
        for (QAbstractButton *b : box->buttons()) {
            buttons << b->text().remove(u'&');
            if (b->text().remove(u'&') == button)
                target = b;
        }
        *seen = box->windowTitle() + '|' + box->text() + '|' + buttons.join(u',');
        if (target)
            target->click();
    });
}

} // namespace

class WindowTest : public QObject
{
    Q_OBJECT
private slots:
    void createdHiddenWithTheFile();
    void sizeFromTheDataFiles();
    void gridFollowsTheWindow();
    void gridDrawsBordersOnce();
    void closingStoresTheSize();
    void saving();
    void importing();
    void unsavedWorkIsOfferedOnce();
    void brokenDatabaseIsToldOnceAndKept();
    void headerCells();
    void cellEditorShowsKazakh();
    void hoverPictures();
    void standardDialogs();
    void gridEditsLikeASpreadsheet();
    void aLongCellIsShownCutAndEditedWhole();
};

void WindowTest::createdHiddenWithTheFile()
{
    BazaRig rig;
    auto &[dir, fakes, db, registry] = rig;
    dir.write(QStringLiteral("Baza.xml"), fixtureBytes());
    QString codeAtLoad;
    connect(&registry, &WindowRegistry::registered, this, [&](WindowKind, QWidget *w) {
        // The language arrives after the file: its change sees the loaded grid.
        connect(&static_cast<StudentDatabaseWindow *>(w)->languageCode(), &LanguageCode::changed, w, [&, w](const QString &c) {
            codeAtLoad = c + ':' + static_cast<StudentDatabaseWindow *>(w)->model()->cellText(3, 1);
        });
    });

    StudentDatabaseWindow *w = baza(registry);
    QVERIFY(w);
    QVERIFY(!w->isVisible());
    QCOMPARE(w->objectName(), QStringLiteral("Baza"));
    QCOMPARE(w->windowTitle(), QStringLiteral("База учеников"));
    QCOMPARE(w->palette().color(QPalette::Window), QColor(200, 227, 251));
    QCOMPARE(db.path(), dir.file(QStringLiteral("Baza.xml")));
    QCOMPARE(w->model()->cellText(3, 9), QStringLiteral("20417"));
    QCOMPARE(codeAtLoad, QStringLiteral("Rus:Жаксыбеков"));
    QCOMPARE(w->languageCode().text(), QStringLiteral("Rus"));
    QVERIFY(fakes.messages.isEmpty());

    auto *save = w->findChild<ImageButton *>(QStringLiteral("Image1"));
    auto *import = w->findChild<ImageButton *>(QStringLiteral("Image2"));
    QVERIFY(save && import);
    QCOMPARE(save->toolTip(), QStringLiteral("Сохранить"));
    QCOMPARE(import->toolTip(), QStringLiteral("Импортировать"));
    QCOMPARE(save->icon(), QStringLiteral("save"));
    QCOMPARE(import->icon(), QStringLiteral("import"));
    QCOMPARE(save->pos(), twips::toScreen(240, 120, 0, 0).topLeft());
    QCOMPARE(import->pos(), twips::toScreen(840, 120, 0, 0).topLeft());
    QCOMPARE(w->findChild<SpreadsheetView *>(QStringLiteral("Spreadsheet1")), w->spreadsheet());
    QCOMPARE(w->spreadsheet()->pos(), twips::toScreen(0, 840, 0, 0).topLeft());
    // The same window for every later use.
    QCOMPARE(baza(registry), w);

    // No language file: the code stays unset.
    QFile::remove(dir.file(QStringLiteral("data/lang.txt")));
    delete w;
    w = baza(registry);
    QCOMPARE(w->languageCode().text(), QString());
    QVERIFY(fakes.messages.isEmpty());
}

void WindowTest::sizeFromTheDataFiles()
{
    BazaRig rig;
    auto &[dir, fakes, db, registry] = rig;

    // As shipped: the client area as built, the grid filling its width.
    StudentDatabaseWindow *w = baza(registry);
    QCOMPARE(w->outerSizeTwips(), QSize(15985, 10685));
    QCOMPARE(w->size(), twips::toScreen(0, 0, 15735, 10170).size());
    QCOMPARE(w->spreadsheet()->size(), twips::toScreen(0, 0, 15735, 9255).size());
    delete w;

    // W x H gives the window W x H and the grid (W - 250) x (H - 1430).
    dir.write(QStringLiteral("data/pw.txt"), "12250\r\n");
    dir.write(QStringLiteral("data/ph.txt"), "9515\r\nignored\r\n");
    w = baza(registry);
    QCOMPARE(w->outerSizeTwips(), QSize(12250, 9515));
    QCOMPARE(w->spreadsheet()->size(), twips::toScreen(0, 0, 12000, 8085).size());
    delete w;

    // Missing, empty or not a number: the built-in size for that side.
    const std::pair<QByteArray, QByteArray> bad[] = {{"", "9515"}, {"abc", "9515"}, {"-300", "9515"}, {"12250", "1e999"}};
    for (const auto &[pw, ph] : bad) {
        dir.write(QStringLiteral("data/pw.txt"), pw);
        dir.write(QStringLiteral("data/ph.txt"), ph);
        w = baza(registry);
        const QSize expected(pw == "12250" ? 12250 : 15985, ph == "9515" ? 9515 : 10685);
        QCOMPARE(w->outerSizeTwips(), expected);
        delete w;
    }
    // A decimal is rounded; a size beyond the screen is brought within it, and so is what closing writes.
    dir.write(QStringLiteral("data/pw.txt"), "12249.5");
    dir.write(QStringLiteral("data/ph.txt"), "99999999");
    w = baza(registry);
    const int room = qRound(twips::fromDevice(QGuiApplication::primaryScreen()->availableGeometry().height(), twips::screenDpiY()));
    QCOMPARE(w->outerSizeTwips().width(), 12250);
    QVERIFY2(w->outerSizeTwips().height() <= room, qPrintable(QStringLiteral("%1 > %2").arg(w->outerSizeTwips().height()).arg(room)));
    QVERIFY(closeWindow(w));
    QVERIFY(dir.read(QStringLiteral("data/ph.txt")).trimmed().toInt() <= room);
    QFile::remove(dir.file(QStringLiteral("data/pw.txt")));
    QFile::remove(dir.file(QStringLiteral("data/ph.txt")));
    w = baza(registry);
    QCOMPARE(w->outerSizeTwips(), QSize(15985, 10685));
    QVERIFY(fakes.messages.isEmpty());
}

void WindowTest::gridFollowsTheWindow()
{
    BazaRig rig;
    auto &[dir, fakes, db, registry] = rig;
    StudentDatabaseWindow *w = baza(registry);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const QSize px = twips::toScreen(0, 0, 9000, 6000).size();
    w->resize(px);
    QCOMPARE(w->spreadsheet()->size(), QSize(px.width(), px.height() - twips::toScreen(0, 0, 0, 915).height()));
    QCOMPARE(w->spreadsheet()->pos(), twips::toScreen(0, 840, 0, 0).topLeft());

    // Lower than the grid's margin: the grid keeps its last size.
    const QSize before = w->spreadsheet()->size();
    w->resize(px.width() + 100, twips::toScreen(0, 0, 0, 600).height());
    QCOMPARE(w->spreadsheet()->size(), before);
    QVERIFY(!w->spreadsheet()->setSizeTwips(-1, 100));
    QVERIFY(!w->spreadsheet()->setSizeTwips(100, -1));
    QCOMPARE(w->spreadsheet()->size(), before);
    w->resize(px);
    QCOMPARE(w->spreadsheet()->size(), before);
    delete w;
}

void WindowTest::gridDrawsBordersOnce()
{
    BazaRig rig;
    auto &[dir, fakes, db, registry] = rig;
    StudentDatabaseWindow *w = baza(registry);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    SpreadsheetView *grid = w->spreadsheet();
    const QImage image = grid->viewport()->grab().toImage();
    const QColor azure(0xF0, 0xFF, 0xFF);
    // Between A3 and B3 one dark line, the cells' background on both sides.
    const QRect a3 = grid->visualRect(w->model()->index(2, 0));
    const int y = a3.center().y();
    QCOMPARE(image.pixelColor(a3.right(), y), QColor(Qt::black));
    QCOMPARE(image.pixelColor(a3.right() - 1, y), azure);
    QCOMPARE(image.pixelColor(a3.right() + 1, y), azure);
    QCOMPARE(image.pixelColor(a3.center().x(), a3.bottom() + 1), azure);
    // Beyond the table only the faint grid.
    grid->scrollTo(w->model()->index(2, 10));
    const QRect j3 = grid->visualRect(w->model()->index(2, 9));
    const QImage beyond = grid->viewport()->grab().toImage();
    QVERIFY(beyond.rect().contains(j3.right(), j3.center().y()));
    QVERIFY(beyond.pixelColor(j3.right(), j3.center().y()).lightness() > 150);
    QVERIFY(beyond.pixelColor(j3.right(), j3.center().y()) != QColor(Qt::white));
    delete w;
}

void WindowTest::closingStoresTheSize()
{
    BazaRig rig;
    auto &[dir, fakes, db, registry] = rig;
    // Opened and closed as it was: the files keep their numbers, though whole
    // pixels cannot show them exactly.
    dir.write(QStringLiteral("data/pw.txt"), "15975\r\n");
    dir.write(QStringLiteral("data/ph.txt"), "10725\r\n");
    StudentDatabaseWindow *w = static_cast<StudentDatabaseWindow *>(registry.show(WindowKind::Baza));
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QVERIFY(w->outerSizeTwips() != QSize(15975, 10725));
    QVERIFY(closeWindow(w));
    QCOMPARE(dir.read(QStringLiteral("data/pw.txt")), QByteArray("15975\r\n"));
    QCOMPARE(dir.read(QStringLiteral("data/ph.txt")), QByteArray("10725\r\n"));

    w = baza(registry);
    w->setOuterWidthTwips(12250);
    w->setOuterHeightTwips(9515);
    QVERIFY(closeWindow(w));
    QVERIFY(!registry.existing(WindowKind::Baza));
    QCOMPARE(dir.read(QStringLiteral("data/pw.txt")), QByteArray("12250\r\n"));
    QCOMPARE(dir.read(QStringLiteral("data/ph.txt")), QByteArray("9515\r\n"));
    QCOMPARE(fakes.asked.size(), 0);

    // The next use reads them back.
    w = baza(registry);
    QCOMPARE(w->outerSizeTwips(), QSize(12250, 9515));

    // A size that cannot be written is told, naming the file.
    QFile::remove(dir.file(QStringLiteral("data/pw.txt")));
    QDir().mkpath(dir.file(QStringLiteral("data/pw.txt")));
    QVERIFY(closeWindow(w));
    QCOMPARE(fakes.messages.size(), 1);
    QVERIFY2(fakes.messages[0].contains(QStringLiteral("pw.txt")), qPrintable(fakes.messages[0]));
    QCOMPARE(dir.read(QStringLiteral("data/ph.txt")), QByteArray("9515\r\n"));
}

void WindowTest::saving()
{
    BazaRig rig;
    auto &[dir, fakes, db, registry] = rig;
    StudentDatabaseWindow *w = baza(registry);
    edit(w, 3, 1, QStringLiteral("Ким"));
    edit(w, 3, 3, QStringLiteral("Ли"));
    QVERIFY(w->hasUnsavedChanges());

    // Image1 saves; no message on success.
    QTest::mouseClick(w->findChild<ImageButton *>(QStringLiteral("Image1")), Qt::LeftButton);
    QVERIFY(!w->hasUnsavedChanges());
    QVERIFY(fakes.messages.isEmpty());
    auto saved = spreadsheetml::readFile(dir.file(QStringLiteral("Baza.xml")));
    QVERIFY(saved);
    QCOMPARE(saved->active()->text(3, 1), QStringLiteral("Ким"));
    QCOMPARE(saved->active()->text(1, 1), QStringLiteral("ФИО левая сторона"));

    // A file that cannot be replaced: the message, and the grid keeps its work.
    edit(w, 4, 1, QStringLiteral("Пак"));
    QFile::remove(dir.file(QStringLiteral("Baza.xml")));
    QDir().mkpath(dir.file(QStringLiteral("Baza.xml")));
    QVERIFY(!w->save());
    QCOMPARE(fakes.titles, QStringList{QStringLiteral("Ошибка")});
    QCOMPARE(fakes.messages, QStringList{QStringLiteral("Не возможно сохранить. Закройте Excell и повторите попытку")});
    QVERIFY(w->hasUnsavedChanges());
    QCOMPARE(w->model()->cellText(4, 1), QStringLiteral("Пак"));
}

void WindowTest::importing()
{
    BazaRig rig;
    auto &[dir, fakes, db, registry] = rig;
    const QByteArray original = dir.read(QStringLiteral("Baza.xml"));
    dir.write(QStringLiteral("import.xml"), fixtureBytes());
    dir.write(QStringLiteral("broken.xml"), "<Workbook>\n<Worksheet>\n");

    StudentDatabaseWindow *w = baza(registry);
    auto *image2 = w->findChild<ImageButton *>(QStringLiteral("Image2"));

    // No file chosen: nothing changes.
    QTest::mouseClick(image2, Qt::LeftButton);
    QVERIFY(!w->hasUnsavedChanges());
    QCOMPARE(w->model()->cellText(3, 1), QString());

    // A file that does not parse: the import is abandoned, the operator told why.
    edit(w, 3, 1, QStringLiteral("своё"));
    w->model()->setModified(false);
    fakes.files = {dir.file(QStringLiteral("broken.xml"))};
    QTest::mouseClick(image2, Qt::LeftButton);
    QCOMPARE(w->model()->cellText(3, 1), QStringLiteral("своё"));
    QVERIFY(!w->hasUnsavedChanges());
    QCOMPARE(fakes.messages.size(), 1);
    QVERIFY2(fakes.messages[0].contains(QStringLiteral("broken.xml, строка 3")), qPrintable(fakes.messages[0]));

    // Import: the grid takes the workbook, Baza.xml stays until Save.
    fakes.files = {dir.file(QStringLiteral("import.xml"))};
    QTest::mouseClick(image2, Qt::LeftButton);
    QCOMPARE(w->model()->cellText(3, 1), QStringLiteral("Жаксыбеков"));
    QCOMPARE(w->model()->cellText(1, 1), QStringLiteral("ФИО левая сторона"));
    QVERIFY(w->hasUnsavedChanges());
    QCOMPARE(dir.read(QStringLiteral("Baza.xml")), original);

    // ...then closed without saving: the next use shows the database as it was.
    fakes.answer = false;
    QVERIFY(closeWindow(w));
    QCOMPARE(fakes.asked, QStringList{QStringLiteral("База учеников|Сохранить изменения в базе учеников?|Сохранить,Не сохранять")});
    QCOMPARE(dir.read(QStringLiteral("Baza.xml")), original);
    w = baza(registry);
    QCOMPARE(w->model()->cellText(3, 1), QString());

    // Import, then Save: Baza.xml holds the imported workbook.
    fakes.files = {dir.file(QStringLiteral("import.xml"))};
    QVERIFY(w->importFile());
    QVERIFY(w->save());
    const auto saved = spreadsheetml::readFile(dir.file(QStringLiteral("Baza.xml")));
    const auto imported = spreadsheetml::readFile(kFixture);
    QVERIFY(saved && imported);
    for (int r = 1; r <= 7; ++r)
        for (int c = 1; c <= 10; ++c)
            QCOMPARE(saved->active()->text(r, c), imported->active()->text(r, c));
    QCOMPARE(saved->active()->cell(3, 9)->type, CellType::Number);
    QCOMPARE(saved->active()->rowHeight(6), imported->active()->rowHeight(6));
}

void WindowTest::unsavedWorkIsOfferedOnce()
{
    BazaRig rig;
    auto &[dir, fakes, db, registry] = rig;
    const QByteArray original = dir.read(QStringLiteral("Baza.xml"));

    // Nothing to save: nothing asked.
    QVERIFY(closeWindow(baza(registry)));
    StudentDatabaseWindow::offerSaveBeforeExit(db, nullptr, LanguageCode::Russian);
    QCOMPARE(fakes.asked.size(), 0);

    // "Не сохранять": the file stays as it was.
    StudentDatabaseWindow *w = baza(registry);
    edit(w, 3, 1, QStringLiteral("Ким"));
    fakes.answer = false;
    QVERIFY(closeWindow(w));
    QCOMPARE(fakes.asked, QStringList{QStringLiteral("База учеников|Сохранить изменения в базе учеников?|Сохранить,Не сохранять")});
    QCOMPARE(dir.read(QStringLiteral("Baza.xml")), original);

    // "Сохранить": saved, then closed.
    w = baza(registry);
    edit(w, 3, 1, QStringLiteral("Пак"));
    fakes.answer = true;
    QVERIFY(closeWindow(w));
    QCOMPARE(fakes.asked.size(), 2);
    QCOMPARE(baza(registry)->model()->cellText(3, 1), QStringLiteral("Пак"));

    // The save fails: the message, and the window stays with the work in it.
    w = baza(registry);
    edit(w, 3, 1, QStringLiteral("Ли"));
    QFile::remove(dir.file(QStringLiteral("Baza.xml")));
    QDir().mkpath(dir.file(QStringLiteral("Baza.xml")));
    QVERIFY(!closeWindow(w));
    QCOMPARE(fakes.asked.size(), 3);
    QCOMPARE(fakes.messages.size(), 1);
    QCOMPARE(fakes.titles, QStringList{QStringLiteral("Ошибка")});
    QCOMPARE(registry.existing(WindowKind::Baza), w);
    QCOMPARE(w->model()->cellText(3, 1), QStringLiteral("Ли"));

    // The program's end asks once and saves on "Сохранить".
    QDir(dir.file(QStringLiteral("Baza.xml"))).removeRecursively();
    StudentDatabaseWindow::offerSaveBeforeExit(db, w, LanguageCode::Russian);
    QCOMPARE(fakes.asked.size(), 4);
    QCOMPARE(spreadsheetml::readFile(dir.file(QStringLiteral("Baza.xml")))->active()->text(3, 1), QStringLiteral("Ли"));
    StudentDatabaseWindow::offerSaveBeforeExit(db, w, LanguageCode::Russian); // saved now: nothing more to ask
    QCOMPARE(fakes.asked.size(), 4);
}

void WindowTest::brokenDatabaseIsToldOnceAndKept()
{
    BazaRig rig;
    auto &[dir, fakes, db, registry] = rig;
    const QByteArray broken = "<?xml version=\"1.0\"?>\n<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\">\n"
                              "<Worksheet><Table><Row><Cell>\n</Table>";
    dir.write(QStringLiteral("Baza.xml"), broken);

    StudentDatabaseWindow *w = baza(registry);
    QCOMPARE(fakes.messages.size(), 1);
    const QString &m = fakes.messages[0];
    QCOMPARE(fakes.titles, QStringList{QStringLiteral("База учеников")});
    QVERIFY2(m.contains(QDir::toNativeSeparators(dir.file(QStringLiteral("Baza.xml"))) + QStringLiteral(", строка 4, столбец 3")),
             qPrintable(m));
    // The built-in content, an empty chooser, and the file left alone.
    QCOMPARE(w->model()->cellText(1, 1), QStringLiteral("ФИО левая сторона"));
    QCOMPARE(w->model()->cellText(3, 1), QString());
    QVERIFY(!w->hasUnsavedChanges());
    QVERIFY(closeWindow(w));
    QCOMPARE(dir.read(QStringLiteral("Baza.xml")), broken);
    QCOMPARE(fakes.asked.size(), 0);

    QVERIFY2(m.contains(QStringLiteral("Baza.xml.unreadable")), qPrintable(m));

    // The same failure again is not told again. A save keeps the unreadable
    // file beside before replacing it, once; the next one goes under a dated name.
    w = baza(registry);
    QCOMPARE(fakes.messages.size(), 1);
    QVERIFY(w->save() && w->save());
    QCOMPARE(dir.read(QStringLiteral("Baza.xml.unreadable")), broken);
    QVERIFY(spreadsheetml::readFile(dir.file(QStringLiteral("Baza.xml"))));
    delete w;
    dir.write(QStringLiteral("Baza.xml"), broken + "\n");
    QVERIFY(baza(registry)->save());
    const QStringList kept = QDir(dir.path()).entryList({QStringLiteral("Baza.xml.unreadable*")});
    QCOMPARE(kept.size(), 2);
    QCOMPARE(dir.read(kept.last()), broken + "\n");
    fakes.messages = fakes.messages.mid(0, 1);
    delete registry.existing(WindowKind::Baza);

    // A missing file is told too.
    QFile::remove(dir.file(QStringLiteral("Baza.xml")));
    baza(registry);
    QCOMPARE(fakes.messages.size(), 2);
    QVERIFY(fakes.messages[1].contains(QStringLiteral("не найден")));
    QVERIFY(!QFile::exists(dir.file(QStringLiteral("Baza.xml"))));
}

void WindowTest::cellEditorShowsKazakh()
{
    BazaRig rig;
    auto *view = rig.window()->findChild<QTableView *>("Spreadsheet1");
    QVERIFY(view);
    const QModelIndex cell = view->model()->index(2, 0);
    QStyleOptionViewItem option;
    std::unique_ptr<QWidget> editor(view->itemDelegate()->createEditor(view->viewport(), option, cell));
    auto *line = qobject_cast<QLineEdit *>(editor.get());
    QVERIFY(line);
    for (QChar c : QString::fromUtf8("Қазақ Ќазаєы😀"))
        QTest::sendKeyEvent(QTest::Click, line, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(line->text(), QString::fromUtf8("Қазақ Қазағы"));
}

void WindowTest::headerCells()
{
    BazaRig rig;
    auto &[dir, fakes, db, registry] = rig;
    StudentDatabaseWindow *w = baza(registry);
    QVERIFY(db.writeHeaderCell(QStringLiteral("G1"), QStringLiteral("Бас әріптері")));
    QCOMPARE(w->model()->cellText(1, 7), QStringLiteral("Бас әріптері"));
    QVERIFY(!w->hasUnsavedChanges());

    // Written header cells are saved with the grid.
    QVERIFY(w->save());
    QCOMPARE(spreadsheetml::readFile(db.path())->active()->text(1, 7), QStringLiteral("Бас әріптері"));

    // No sheet "Sheet1": nothing written.
    dir.write(QStringLiteral("other.xml"),
              "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
              "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"><Worksheet ss:Name=\"Лист1\"><Table>"
              "<Row><Cell><Data ss:Type=\"String\">свой</Data></Cell></Row></Table></Worksheet></Workbook>");
    QVERIFY(w->importFrom(dir.file(QStringLiteral("other.xml"))));
    QVERIFY(!db.writeHeaderCell(QStringLiteral("A1"), QStringLiteral("Фамилия")));
    QCOMPARE(w->model()->cellText(1, 1), QStringLiteral("свой"));
}

void WindowTest::hoverPictures()
{
    BazaRig rig;
    auto &[dir, fakes, db, registry] = rig;
    StudentDatabaseWindow *w = baza(registry);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto *image1 = w->findChild<ImageButton *>(QStringLiteral("Image1"));
    auto *image2 = w->findChild<ImageButton *>(QStringLiteral("Image2"));
    auto moveTo = [w](QPoint p) {
        QMouseEvent e(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    };
    moveTo(image1->geometry().center());
    QVERIFY(image1->highlighted());
    QVERIFY(!image2->highlighted());
    moveTo(image2->geometry().center());
    QVERIFY(!image1->highlighted());
    QVERIFY(image2->highlighted());
    moveTo(twips::toScreen(1800, 300, 0, 0).topLeft()); // the background
    QVERIFY(!image1->highlighted());
    QVERIFY(!image2->highlighted());
    moveTo(image2->geometry().center());
    QTest::mousePress(image2, Qt::LeftButton);
    QVERIFY(!image2->highlighted());
    QTest::mouseRelease(image2, Qt::LeftButton, {}, QPoint(-5, -5)); // released off the button: no import
    QVERIFY(!w->hasUnsavedChanges());
    delete w;
}

void WindowTest::standardDialogs()
{
    const Dialogs d = Dialogs::standard();
    QString seen;
    answerNextBox(QStringLiteral("Не сохранять"), &seen);
    QVERIFY(!StudentDatabaseWindow::askSaveChanges(nullptr, LanguageCode::Russian));
    QCOMPARE(seen, QStringLiteral("База учеников|Сохранить изменения в базе учеников?|Сохранить,Не сохранять"));
    answerNextBox(QStringLiteral("Сохранить"), &seen);
    QVERIFY(StudentDatabaseWindow::askSaveChanges(nullptr, LanguageCode::Russian));

    answerNextBox(QStringLiteral("OK"), &seen);
    d.message(nullptr, Dialogs::Icon::Warning, QStringLiteral("Ошибка"), QStringLiteral("Не возможно сохранить. Закройте Excell и повторите попытку"));
    QCOMPARE(seen, QStringLiteral("Ошибка|Не возможно сохранить. Закройте Excell и повторите попытку|OK"));

    // The question cannot be closed unanswered.
    QTimer::singleShot(0, [&seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        box->close();
        QTest::keyClick(box, Qt::Key_Escape);
        seen = box->isVisible() ? QStringLiteral("still open") : QStringLiteral("closed");
        box->buttons().first()->click();
    });
    QVERIFY(StudentDatabaseWindow::askSaveChanges(nullptr, LanguageCode::Russian));
    QCOMPARE(seen, QStringLiteral("still open"));
}


void WindowTest::gridEditsLikeASpreadsheet()
{
    BazaRig rig;
    auto &[dir, fakes, db, registry] = rig;
    StudentDatabaseWindow *w = baza(registry);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    SpreadsheetView *view = w->spreadsheet();
    WorkbookModel *m = w->model();
    auto cellAt = [&](int row, int column) { return view->visualRect(m->index(row - 1, column - 1)).center(); };
    auto key = [](int k, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), mods);
    };
    auto type = [](const QString &text) {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c), {});
    };

    auto *save = w->findChild<ImageButton *>(QStringLiteral("Image1"));
    auto *import = w->findChild<ImageButton *>(QStringLiteral("Image2"));
    QCOMPARE(save->toolTipShown(), save->toolTip() + QStringLiteral(" (Ctrl+S)"));
    // Tab: Save, Import, then the grid.
    QCOMPARE(QApplication::focusWidget(), save);
    key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), import);
    key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), view);
    QCOMPARE(import->toolTipShown(), import->toolTip() + QStringLiteral(" (Ctrl+O)"));

    // As Calc puts two rows on the clipboard: CRLF line ends, a cell with a
    // line break, one with a tab, one with quotes; a character the code page
    // lacks goes as it would when typed, a stand-in shows as its letter.
    QGuiApplication::clipboard()->setText(QString::fromUtf8(
        "Абаев\tАрман\t\"Серикович\r\nмл.\"\r\n"
        "Ќасымова\t\"Ай\tгерим\"\t\"\"\"Дарын\"\" 😀\"\r\n"));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cellAt(3, 1));
    QCOMPARE(QApplication::focusWidget(), view);
    key(Qt::Key_V, Qt::ControlModifier);
    const QStringList want = {"Абаев", "Арман", "Серикович\nмл.", "Қасымова", "Ай\tгерим", "\"Дарын\" "};
    for (int i = 0; i < want.size(); ++i)
        QCOMPARE(m->cellText(3 + i / 3, 1 + i % 3), want[i]);
    QVERIFY(w->hasUnsavedChanges());
    QCOMPARE(view->selectionModel()->selectedIndexes().size(), 6);

    // Ctrl+C gives the selection back as Calc would read it.
    QGuiApplication::clipboard()->clear();
    key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString::fromUtf8("Абаев\tАрман\t\"Серикович\nмл.\"\n"
                               "Қасымова\t\"Ай\tгерим\"\t\"\"\"Дарын\"\" \"\n"));

    // Ctrl+Z takes the paste back as one step, Ctrl+Shift+Z puts it again;
    // back at the loaded content nothing is unsaved.
    pressKeys(Qt::Key_Z, Qt::ControlModifier);
    for (int i = 0; i < want.size(); ++i)
        QCOMPARE(m->cellText(3 + i / 3, 1 + i % 3), QString());
    QVERIFY(!w->hasUnsavedChanges());
    pressKeys(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m->cellText(4, 3), want[5]);
    QVERIFY(w->hasUnsavedChanges());

    // Ctrl+S saves from the grid, an edit in progress included.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cellAt(3, 9));
    type(QStringLiteral("77"));
    QVERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget())); // typing opened the cell
    key(Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!w->hasUnsavedChanges());
    QCOMPARE(spreadsheetml::readFile(dir.file(QStringLiteral("Baza.xml")))->active()->text(3, 9), QStringLiteral("77"));

    // Return ends an edit and moves down.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cellAt(5, 1));
    type(QStringLiteral("Ли"));
    key(Qt::Key_Return);
    QTRY_COMPARE(view->currentIndex(), m->index(5, 0));
    QCOMPARE(m->cellText(5, 1), QStringLiteral("Ли"));
    QVERIFY(w->hasUnsavedChanges());
    QVERIFY(w->save());

    // Delete empties the selection; it is unsaved work, offered on closing.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cellAt(3, 2));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, cellAt(4, 3));
    key(Qt::Key_Delete);
    for (int row : {3, 4})
        for (int column : {2, 3})
            QCOMPARE(m->cellText(row, column), QString());
    QCOMPARE(m->cellText(3, 1), QStringLiteral("Абаев"));
    QVERIFY(w->hasUnsavedChanges());
    // Undone back to what was saved, then done again.
    pressKeys(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m->cellText(4, 3), want[5]);
    QVERIFY(!w->hasUnsavedChanges());
    pressKeys(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m->cellText(4, 3), QString());
    QVERIFY(w->hasUnsavedChanges());

    // Ctrl+O asks for a file as Image2 does.
    fakes.files = {QString()};
    key(Qt::Key_O, Qt::ControlModifier);
    QVERIFY(fakes.files.isEmpty());

    fakes.answer = false;
    QVERIFY(closeWindow(w));
    QCOMPARE(fakes.asked.size(), 1);
    QCOMPARE(spreadsheetml::readFile(dir.file(QStringLiteral("Baza.xml")))->active()->text(3, 2), QStringLiteral("Арман"));
}

// A cell of twenty million characters opens and scrolls at once, and looks as
// its start would; one longer than a line box usually takes is edited whole.
void WindowTest::aLongCellIsShownCutAndEditedWhole()
{
    BazaRig rig;
    auto &[dir, fakes, db, registry] = rig;
    Workbook book = studentdb::builtIn();
    const QString huge(20'000'000, u'Ж'), longer(40'000, u'д');
    book.sheets[0].setText(3, 1, huge);
    book.sheets[0].setText(4, 1, longer);
    QVERIFY(spreadsheetml::writeFile(dir.file(QStringLiteral("Baza.xml")), book));

    const std::clock_t start = std::clock(); // processor time: a busy machine does not count
    StudentDatabaseWindow *w = baza(registry);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    SpreadsheetView *view = w->spreadsheet();
    for (QScrollBar *bar : {view->verticalScrollBar(), view->horizontalScrollBar()})
        for (int v : {bar->maximum(), 0}) {
            bar->setValue(v);
            view->viewport()->repaint();
        }
    const double ms = double(std::clock() - start) * 1000 / CLOCKS_PER_SEC;
    QVERIFY2(ms < 3000, qPrintable(QString::number(ms) + " ms"));

    WorkbookModel *m = w->model();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(m->index(3, 0)).center());
    QTest::keyClick(view, Qt::Key_F2);
    auto *line = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(line);
    QCOMPARE(line->text(), longer);
    QTest::keyClick(line, Qt::Key_End);
    QTest::keyClicks(line, QStringLiteral("!"));
    QTest::keyClick(line, Qt::Key_Return);
    QTRY_COMPARE(m->cellText(4, 1).size(), longer.size() + 1); // Return commits from the event loop
    QCOMPARE(m->cellText(4, 1), longer + u'!');
    QVERIFY(w->save());
    const auto saved = spreadsheetml::readFile(dir.file(QStringLiteral("Baza.xml")));
    QCOMPARE(saved->active()->text(4, 1), longer + u'!');
    QCOMPARE(saved->active()->text(3, 1).size(), huge.size());

    const QImage shown = view->viewport()->grab().toImage();
    QVERIFY(m->setData(m->index(2, 0), huge.first(1000)));
    view->viewport()->repaint();
    QCOMPARE(view->viewport()->grab().toImage(), shown);
    fakes.answer = false;
}

QTEST_MAIN(WindowTest)
#include "test_window.moc"
