#include "core/twips.h"
#include "widgets/hoverrouter.h"
#include "pdfwords.h"
#include "printrig.h"

#include <QLabel>
#include <QTemporaryDir>

using namespace gravik;

namespace {

// What the dialog handed to the printer, and how things stood at that moment.
struct PrintCall {
    std::vector<page::FieldContent> fields;
    QString title;
    bool panelVisible = true;
    bool dialogVisible = false;
    bool anyRed = true;
};

QRect twipRect(int l, int t, int w, int h) { return twips::toScreen(l, t, w, h); }

} // namespace

class PrintDialogTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_calls.clear();
        m_answer = {true, QStringLiteral("gravik-test"), QString(), 1};
        m_rig = std::make_unique<PrintRig>([this](const std::vector<page::FieldContent> &fields,
                                                  const QString &title) {
            PrintCall c{fields, title, m_rig->main->panel()->isVisible(),
                        m_rig->dialog() && m_rig->dialog()->isVisible(), m_rig->anyFieldRed()};
            m_calls.push_back(c);
            return m_answer;
        });
        QVERIFY(m_rig->started);
    }
    void cleanup() { m_rig.reset(); }

    void builtAsLaidOut()
    {
        PrintDialog *d = m_rig->openDialog();
        QVERIFY(d);
        QCOMPARE(d->objectName(), QString("Print1"));
        QCOMPARE(d->windowTitle(), QString("Печать данных"));
        QCOMPARE(d->size(), twipRect(0, 0, 6450, 2160).size());
        QCOMPARE(d->minimumSize(), d->maximumSize());
        QCOMPARE(d->palette().color(QPalette::Window), QColor(200, 227, 251));
        QVERIFY(!d->isModal());
        QVERIFY(d->isWindow());

        struct LabelSpec {
            const char *name;
            QRect geometry;
            double pt;
            Qt::Alignment h;
            QColor color;
        };
        const LabelSpec labels[] = {
            {"Label1", twipRect(120, 120, 6255, 615), 14.25, Qt::AlignHCenter, QColor(128, 0, 0)},
            {"Label2", twipRect(240, 840, 2295, 375), 12, Qt::AlignLeft, Qt::black},
            {"Label3", twipRect(2640, 720, 1815, 495), 20.25, Qt::AlignLeft, QColor(128, 0, 0)},
        };
        for (const LabelSpec &s : labels) {
            auto *l = d->findChild<QLabel *>(s.name);
            QVERIFY2(l, s.name);
            QCOMPARE(l->geometry(), s.geometry);
            QCOMPARE(l->font().pointSizeF(), s.pt);
            QVERIFY(l->font().bold());
            QCOMPARE(l->font().family(), QString("Times New Roman"));
            QCOMPARE(l->alignment() & Qt::AlignHorizontal_Mask, s.h);
            QCOMPARE(l->palette().color(QPalette::WindowText), s.color);
            QCOMPARE(l->textFormat(), Qt::PlainText);
        }
        QCOMPARE(d->findChild<QLabel *>("Label2")->text(), QString("Под номером"));

        const std::tuple<const char *, const char *, const char *, QPoint> buttons[] = {
            {"Image1", "tick", "Печать", twipRect(4920, 1440, 0, 0).topLeft()},
            {"Image4", "cross", "Отмена", twipRect(5760, 1440, 0, 0).topLeft()}};
        for (const auto &[name, icon, tip, pos] : buttons) {
            ImageButton *b = d->button(name);
            QVERIFY2(b, name);
            QCOMPARE(b->icon(), QString(icon));
            QCOMPARE(b->toolTip(), QString(tip));
            QCOMPARE(b->pos(), pos);
            QVERIFY(!b->highlighted());
        }
        // The language box: the window's code, read from data/lang.txt.
        auto *code = d->findChild<LanguageCode *>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(code == &d->languageCode());
        QCOMPARE(code->objectName(), QString("Text1"));
        QCOMPARE(code->text(), QString("Rus"));
    }

    void createdOnFirstClickAndFilledOnEvery()
    {
        QVERIFY(!m_rig->dialog());
        m_rig->type("Text1", "Иванов");
        m_rig->type("Text2", "Иван");
        m_rig->type("Text3", "Иванович");
        m_rig->type("Text12", "А 0042");
        PrintDialog *d = m_rig->openDialog();
        QVERIFY(d);
        QVERIFY(d->isVisible());
        QCOMPARE(d->nameLabel()->text(), QString("Иванов Иван Иванович"));
        QCOMPARE(d->numberLabel()->text(), QString("А 0042"));
        QVERIFY(m_rig->main->isEnabled()); // modeless

        m_rig->type("Text1", "Петров");
        m_rig->type("Text12", "Б 7");
        QCOMPARE(m_rig->openDialog(), d); // one dialog, shown again and refilled
        QCOMPARE(d->nameLabel()->text(), QString("Петров Иван Иванович"));
        QCOMPARE(d->numberLabel()->text(), QString("Б 7"));
    }

    void nameAlwaysHasBothSpaces_data()
    {
        QTest::addColumn<QString>("surname");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("patronymic");
        QTest::addColumn<QString>("shown");
        QTest::newRow("all empty") << "" << "" << "" << "  ";
        QTest::newRow("surname only") << "Иванов" << "" << "" << "Иванов  ";
        QTest::newRow("patronymic only") << "" << "" << "Ивановна" << "  Ивановна";
        QTest::newRow("spaces kept") << " Ким " << "Ли" << "" << " Ким  Ли ";
        QTest::newRow("markup is text") << "<b>Ким</b>" << "&amp;" << "" << "<b>Ким</b> &amp; ";
    }

    void nameAlwaysHasBothSpaces()
    {
        QFETCH(QString, surname);
        QFETCH(QString, name);
        QFETCH(QString, patronymic);
        QFETCH(QString, shown);
        m_rig->type("Text1", surname);
        m_rig->type("Text2", name);
        m_rig->type("Text3", patronymic);
        QCOMPARE(m_rig->openDialog()->nameLabel()->text(), shown);
    }

    void cancelHidesAndKeepsTheDialog()
    {
        m_rig->type("Text1", "Сидоров");
        PrintDialog *d = m_rig->openDialog();
        PrintRig::click(d->button("Image4"));
        QVERIFY(!d->isVisible());
        QCOMPARE(m_rig->dialog(), d);
        QCOMPARE(d->nameLabel()->text().left(7), QString("Сидоров"));
        QVERIFY(m_calls.empty());
        QCOMPARE(m_rig->openDialog(), d);
        QVERIFY(d->isVisible());
    }

    void closeBoxDestroysAndTheNextOpeningRereadsTheLanguage()
    {
        QPointer<PrintDialog> d = m_rig->openDialog();
        QCOMPARE(d->languageCode().text(), QString("Rus"));
        QVERIFY(d->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(d.isNull());
        QVERIFY(!m_rig->dialog());

        m_rig->folder.write("data/lang.txt", "Kaz\r\n");
        PrintDialog *again = m_rig->openDialog();
        QVERIFY(again);
        QCOMPARE(again->languageCode().text(), QString("Kaz"));
    }

    void missingLanguageFileLeavesTheCodeUnset()
    {
        QVERIFY(QFile::remove(m_rig->folder.file("data/lang.txt")));
        PrintDialog *d = m_rig->openDialog();
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->languageCode().text(), QString());
        QVERIFY(!PrintRig::message());
        QCOMPARE(d->windowTitle(), QString("Печать данных"));
    }

    void pageOutputInItsOrder()
    {
        m_rig->type("Text1", "Иванов");
        m_rig->type("Text12", "15");
        m_rig->main->closePanel();
        const int panelHeight = m_rig->main->panel()->height();
        m_rig->main->selectField(9);
        QVERIFY(m_rig->anyFieldRed());
        PrintDialog *d = m_rig->openDialog();
        m_rig->print();

        QCOMPARE(m_calls.size(), size_t(1));
        const PrintCall &c = m_calls.front();
        QVERIFY(!c.panelVisible);
        QVERIFY(!c.anyRed);
        QVERIFY(c.dialogVisible);
        QCOMPARE(c.fields.size(), size_t(FieldCount));
        for (const page::FieldContent &f : c.fields) // 20 and 22 too, which start in another colour
            QCOMPARE(f.color, CertificateWindow::normalFieldColor());
        QCOMPARE(c.fields[0].text, QString("Иванов"));
        QCOMPARE(c.fields[32].text, QString("15"));
        QCOMPARE(c.title, QString("Аттестат: Иванов"));

        // Afterwards: panel back at its height, dialog open, selection kept, no red.
        QVERIFY(m_rig->main->panel()->isVisible());
        QCOMPARE(m_rig->main->panel()->height(), panelHeight);
        QVERIFY(d->isVisible());
        QCOMPARE(m_rig->main->selectedField(), 9);
        QVERIFY(!m_rig->anyFieldRed());
        QVERIFY(!PrintRig::message());
        QVERIFY(d->lastOutcome().ok);
    }

    void anEditAfterOpeningPrintsTheNewValue()
    {
        m_rig->type("Text1", "Старое");
        PrintDialog *d = m_rig->openDialog();
        m_rig->type("Text1", "Новое");
        m_rig->print();
        QCOMPARE(d->nameLabel()->text(), QString("Старое  "));
        QCOMPARE(m_calls.size(), size_t(1));
        QCOMPARE(m_calls[0].fields[0].text, QString("Новое"));
    }

    void twoClicksTwoJobs()
    {
        m_rig->openDialog();
        m_rig->print();
        m_rig->type("Text5", "Директорова");
        m_rig->print();
        QCOMPARE(m_calls.size(), size_t(2));
        QCOMPARE(m_calls[0].fields[8].text, QString());
        QCOMPARE(m_calls[1].fields[8].text, QString("Директорова"));
        QVERIFY(m_rig->dialog()->isVisible());
    }

    void aFailedPrintHidesTheDialogAndSaysWhy_data()
    {
        QTest::addColumn<QString>("printer");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("message");
        QTest::newRow("no printer") << "" << "в системе нет принтера по умолчанию"
                                    << "Страница не напечатана: в системе нет принтера по умолчанию.";
        QTest::newRow("refused") << "Kyocera" << "очередь не принимает задания"
                                 << "Страница не напечатана на принтере «Kyocera»: очередь не принимает задания.";
    }

    void aFailedPrintHidesTheDialogAndSaysWhy()
    {
        QFETCH(QString, printer);
        QFETCH(QString, error);
        QFETCH(QString, message);
        m_answer = {false, printer, error, 0};
        m_rig->main->closePanel();
        m_rig->main->selectField(3);
        PrintDialog *d = m_rig->openDialog();
        m_rig->print();
        QCOMPARE(m_calls.size(), size_t(1));
        QVERIFY(m_rig->main->panel()->isVisible());
        QVERIFY(!d->isVisible());
        QCOMPARE(m_rig->dialog(), d); // hidden, not destroyed
        QVERIFY(!m_rig->anyFieldRed());
        QMessageBox *box = PrintRig::message();
        QVERIFY(box);
        QCOMPARE(box->text(), message);
        QCOMPARE(box->icon(), QMessageBox::Warning);
        box->accept();
        // The next click on the print button brings it back.
        QCOMPARE(m_rig->openDialog(), d);
        QVERIFY(d->isVisible());
    }

    void buttonsFollowTheHoverTable()
    {
        PrintDialog *d = m_rig->openDialog();
        // The offscreen platform sends a move to the first window under the
        // cursor, whatever lies on top; the main window would take them all.
        m_rig->main->hide();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        ImageButton *print = d->button("Image1");
        ImageButton *cancel = d->button("Image4");
        auto state = [&] {
            return QString(print->highlighted() ? "H" : "N") + (cancel->highlighted() ? "H" : "N");
        };
        auto moveOver = [&](QWidget *w, QPoint at) {
            QTest::mouseMove(w, at);
            QCoreApplication::processEvents();
        };
        moveOver(print, PrintRig::centreOf(print));
        QCOMPARE(state(), QString("HN"));
        moveOver(cancel, PrintRig::centreOf(cancel));
        QCOMPARE(state(), QString("NH"));
        // A caption is no source: nothing changes.
        QLabel *caption = d->findChild<QLabel *>("Label2");
        moveOver(caption, PrintRig::centreOf(caption));
        QCOMPARE(state(), QString("NH"));
        // The background, below the captions and left of the buttons.
        QVERIFY(!d->childAt(twipRect(600, 1700, 0, 0).topLeft()));
        moveOver(d, twipRect(600, 1700, 0, 0).topLeft());
        QCOMPARE(state(), QString("NN"));

        moveOver(print, PrintRig::centreOf(print));
        cancel->showHighlightedPicture();
        QTest::mousePress(print, Qt::LeftButton, {}, PrintRig::centreOf(print));
        QCOMPARE(state(), QString("NH")); // pressed shows normal, the other is left alone
        QTest::mouseRelease(print, Qt::LeftButton, {}, PrintRig::centreOf(print));
        QCOMPARE(m_calls.size(), size_t(1));
    }

    // The paper shows each field where the preview shows its label.
    void paperMatchesThePreview()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("page.pdf");
        m_rig.reset();
        m_rig = std::make_unique<PrintRig>([&](const std::vector<page::FieldContent> &fields, const QString &) {
            printing::Outcome o;
            o.ok = page::writePdf(path, {page::a4Layout(), 1200}, fields, &o.error);
            return o;
        });
        m_rig->type("Text1", "Экранов");
        m_rig->type("Text5", "Директорова");
        m_rig->type("Text12", "Н-17");
        m_rig->main->closePanel();
        m_rig->openDialog();
        m_rig->print();
        const PdfText pdf = PdfText::read(path);
        QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));
        const double ptPerPxX = 72.0 / twips::screenDpiX(), ptPerPxY = 72.0 / twips::screenDpiY();
        const std::pair<int, const char *> fields[] = {{1, "Экранов"}, {9, "Директорова"}, {16, "Н-17"}, {33, "Н-17"}};
        for (const auto &[n, text] : fields) {
            const FieldLabel *l = m_rig->main->fieldLabel(n);
            const bool centred = certificateField(n).box == CertificateField::Box::Centred;
            const double labelX = (centred ? l->geometry().center().x() + 0.5 : l->x()) * ptPerPxX;
            const auto w = pdf.find(QString::fromUtf8(text), l->x() * ptPerPxX);
            QVERIFY2(w, text);
            const double paperX = centred ? w->centreX() : w->xMin;
            QVERIFY2(std::abs(paperX - labelX) <= kHalfMillimetre + ptPerPxX,
                     qPrintable(QString("field %1: paper %2 pt, preview %3 pt").arg(n).arg(paperX).arg(labelX)));
            QVERIFY2(std::abs(w->yMin - l->y() * ptPerPxY) <= kHalfMillimetre + ptPerPxY,
                     qPrintable(QString("field %1: paper top %2 pt, preview %3 pt").arg(n).arg(w->yMin).arg(l->y() * ptPerPxY)));
        }
        // No panel, no scroll bar, no dialog text on the sheet.
        QCOMPARE(pdf.texts(), QStringList({"Экранов", "Директорова", "Н-17", "Н-17"}));
    }

private:
    std::unique_ptr<PrintRig> m_rig;
    std::vector<PrintCall> m_calls;
    printing::Outcome m_answer;
};

QTEST_MAIN(PrintDialogTest)
#include "test_printdialog.moc"
