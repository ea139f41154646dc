#include "pagefields.h"
#include "pdfwords.h"
#include "printing/pageoutput.h"
#include "core/certificate.h"
#include "core/certificatefields.h"
#include "support/programfolder.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QPageSize>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>

using namespace gravik;

namespace {

// Where field f's text must land for a sheet whose printable area starts at
// (left, top) points: the top of the text at Y; a fitted field's text from X,
// a centred field's text centred on X + W/2.
void checkPlaced(const PdfText &pdf, const CertificateField &f, const QString &text, double left,
                 double top)
{
    const double x = left + twipsToPoints(f.x);
    const double y = top + twipsToPoints(f.y);
    const bool centred = f.box == CertificateField::Box::Centred;
    const double wantX = centred ? x + twipsToPoints(f.width) / 2 : x;
    const auto w = pdf.find(text, x);
    QVERIFY2(w, qPrintable(QStringLiteral("field %1 (%2) is not on the page").arg(f.number).arg(text)));
    const double gotX = centred ? w->centreX() : w->xMin;
    QVERIFY2(std::abs(gotX - wantX) <= kHalfMillimetre,
             qPrintable(QStringLiteral("field %1: x %2 pt, expected %3").arg(f.number).arg(gotX).arg(wantX)));
    QVERIFY2(std::abs(w->yMin - y) <= kHalfMillimetre,
             qPrintable(QStringLiteral("field %1: top %2 pt, expected %3").arg(f.number).arg(w->yMin).arg(y)));
}

} // namespace

class PageOutputTest : public QObject
{
    Q_OBJECT
private slots:
    void a4WithTheGivenUnprintableEdges()
    {
        const QPageLayout bare = page::a4Layout();
        QVERIFY(bare.pageSize().isEquivalentTo(QPageSize(QPageSize::A4)));
        QCOMPARE(bare.orientation(), QPageLayout::Portrait);
        QCOMPARE(bare.paintRect(QPageLayout::Point).topLeft(), QPointF(0, 0));

        const QPageLayout edged = page::a4Layout(QMarginsF(12, 18, 12, 30));
        const QRectF paint = edged.paintRect(QPageLayout::Point);
        QCOMPARE(paint.topLeft(), QPointF(12, 18));
        QVERIFY(std::abs(paint.bottom() - (edged.fullRect(QPageLayout::Point).bottom() - 30)) < 0.01);
    }

    void whichPrintersTakeA4()
    {
        QVERIFY(printing::takesA4({}));
        QVERIFY(printing::takesA4({QPageSize(QPageSize::Letter), QPageSize(QPageSize::A4)}));
        // Same sheet under another name.
        QVERIFY(printing::takesA4({QPageSize(QSizeF(210, 297), QPageSize::Millimeter, "Мой A4")}));
        QVERIFY(!printing::takesA4({QPageSize(QPageSize::Letter), QPageSize(QPageSize::A5)}));
        QVERIFY(!printing::takesA4({QPageSize(QPageSize::A4Extra)}));
    }

    void everyFieldAtItsTwipPosition_data()
    {
        QTest::addColumn<QMarginsF>("edges");
        QTest::addColumn<int>("dpi");
        QTest::newRow("no margins, 1200 dpi") << QMarginsF() << 1200;
        QTest::newRow("printer margins, 600 dpi") << QMarginsF(12.5, 18, 12.5, 30) << 600;
        QTest::newRow("printer margins, 300 dpi") << QMarginsF(17, 11, 17, 11) << 300;
    }

    void everyFieldAtItsTwipPosition()
    {
        QFETCH(QMarginsF, edges);
        QFETCH(int, dpi);
        const QString pdfPath = m_dir.filePath(QStringLiteral("page-%1.pdf").arg(dpi));
        QString error;
        QVERIFY2(page::writePdf(pdfPath, {page::a4Layout(edges), dpi}, numberedPage(), &error),
                 qPrintable(error));
        const PdfText pdf = PdfText::read(pdfPath);
        QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));
        QCOMPARE(pdf.pages.size(), size_t(1));
        QVERIFY(std::abs(pdf.pages[0].width() - 595.28) < 0.5);
        QVERIFY(std::abs(pdf.pages[0].height() - 841.89) < 0.5);
        for (const CertificateField &f : certificateFields()) {
            checkPlaced(pdf, f, QStringLiteral("П%1").arg(f.number), edges.left(), edges.top());
            if (QTest::currentTestFailed())
                return;
        }
        // The fields and nothing else: no window controls on the sheet.
        QCOMPARE(pdf.words.size(), size_t(FieldCount));
    }

    void fontSizeAndStyleReachThePaper()
    {
        auto widthOf = [this](double pt, bool bold) {
            const QString path = m_dir.filePath(QStringLiteral("font-%1-%2.pdf").arg(pt).arg(bold));
            auto fields = numberedPage(pt, bold);
            fields[8].text = QStringLiteral("Широкоплечий");
            QString error;
            if (!page::writePdf(path, {page::a4Layout(), 1200}, fields, &error))
                return -1.0;
            const auto w = PdfText::read(path).find(QStringLiteral("Широкоплечий"));
            return w ? w->xMax - w->xMin : -1.0;
        };
        const double normal10 = widthOf(10, false);
        const double normal20 = widthOf(20, false);
        const double bold10 = widthOf(10, true);
        QVERIFY(normal10 > 0 && normal20 > 0 && bold10 > 0);
        QVERIFY2(std::abs(normal20 / normal10 - 2.0) < 0.05, qPrintable(QString::number(normal20 / normal10)));
        QVERIFY(bold10 > normal10 * 1.02);
    }

    void emptyFieldsLeaveABlankPage()
    {
        auto fields = numberedPage();
        for (auto &c : fields)
            c.text.clear();
        const QString path = m_dir.filePath(QStringLiteral("blank.pdf"));
        QString error;
        QVERIFY2(page::writePdf(path, {page::a4Layout(), 1200}, fields, &error), qPrintable(error));
        const PdfText pdf = PdfText::read(path);
        QCOMPARE(pdf.pages.size(), size_t(1));
        QVERIFY(pdf.words.empty());
    }

    // A text far longer than the sheet: every field shows its start as it
    // would show it anyway, and no more of it is laid out, so the page is
    // drawn at once.
    void aHugeTextIsDrawnOnlyAsFarAsItShows()
    {
        const QString huge = QStringLiteral("Жаксыбеков ") + QString(20'000'000, u'ж');
        auto fields = numberedPage(), cut = fields;
        for (size_t i = 0; i < fields.size(); ++i) {
            fields[i].text = huge;
            cut[i].text = huge.first(20'000);
        }
        auto draw = [](const std::vector<page::FieldContent> &page) {
            QImage image(794, 1123, QImage::Format_RGB32); // A4 at 96 dpi
            image.fill(Qt::white);
            QPainter p(&image);
            page::drawPage(p, page, 96, 96);
            return image;
        };
        const std::clock_t start = std::clock(); // processor time: a busy machine does not count
        const QImage whole = draw(fields);
        const double ms = double(std::clock() - start) * 1000 / CLOCKS_PER_SEC;
        QVERIFY2(ms < 2000, qPrintable(QString::number(ms) + " ms"));
        QCOMPARE(whole, draw(cut));
        QVERIFY(whole != draw(numberedPage()));
    }

    void unwritableFileIsReported()
    {
        const QString path = m_dir.filePath(QStringLiteral("missing-folder/page.pdf"));
        QString error;
        QVERIFY(!page::writePdf(path, {page::a4Layout(), 1200}, numberedPage(), &error));
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
        QVERIFY(!QFile::exists(path));
    }

    // 1.txt keeps ў for ұ: the sheet, and a viewer's search, has the letter.
    void kazakhLettersInTheTextLayer()
    {
        ProgramFolder folder;
        folder.setLine(QStringLiteral("1.txt"), stateLine(Value::PatronymicKz),
                       "\xCC\xE0\xF0\xE0\xF2\xA2\xEB\xFB"); // Маратўлы
        CertificateDocument doc;
        StateFile::Error e;
        QVERIFY2(doc.load(folder.file(QStringLiteral("1.txt")), &e), qPrintable(e.message));
        const QString path = m_dir.filePath(QStringLiteral("kazakh.pdf"));
        QString error;
        QVERIFY2(page::writePdf(path, {}, page::contents(doc.certificate()), &error), qPrintable(error));
        const PdfText pdf = PdfText::read(path);
        QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));
        QVERIFY2(pdf.find(QString::fromUtf8("Маратұлы")), qPrintable(pdf.texts().join(' ')));
        QVERIFY(!pdf.find(QString::fromUtf8("Маратўлы")));
    }

    // The page's and the windows' fonts have every Kazakh letter; a font
    // without them (DejaVu Sans ExtraLight) still shows each, from another font.
    void kazakhLettersHaveGlyphs()
    {
        const QString letters = QString::fromUtf8("ӘәҒғҚқҢңӨөҰұҮүҺһІі");
        for (const QFont &f : {QFont(QStringLiteral("Times New Roman")), QFont(QStringLiteral("Arial")),
                               QFont(QStringLiteral("Courier New")), QApplication::font()}) {
            const QRawFont raw = QRawFont::fromFont(f);
            for (QChar c : letters)
                QVERIFY2(raw.supportsCharacter(c), qPrintable(raw.familyName() + ' ' + c));
        }
        QFont without;
        for (const QString &family : QFontDatabase::families())
            for (const QString &style : QFontDatabase::styles(family)) {
                const QFont f = QFontDatabase::font(family, style, 12);
                const QRawFont raw = QRawFont::fromFont(f);
                if (raw.supportsCharacter(QChar(0x0430)) && !raw.supportsCharacter(QChar(0x049A)))
                    without = f;
            }
        if (without.family().isEmpty())
            QSKIP("no installed Cyrillic font lacks the Kazakh letters");
        QTextLayout layout(letters, without);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        qsizetype drawn = 0;
        for (const QGlyphRun &run : layout.glyphRuns()) {
            for (quint32 g : run.glyphIndexes())
                QVERIFY2(g != 0, qPrintable(run.rawFont().familyName())); // glyph 0 is the missing-letter box
            drawn += run.glyphIndexes().size();
        }
        QCOMPARE(drawn, letters.size());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(PageOutputTest)
#include "test_pageoutput.moc"
