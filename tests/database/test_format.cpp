#include "database/spreadsheetml.h"
#include "database/database.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace gravik;
namespace sml = gravik::spreadsheetml;

namespace {

const QString kFixture = QStringLiteral(GRAVIK_FIXTURES_DIR "/libreoffice/Baza.xml");

// A one-sheet workbook around the given table content.
QByteArray book(const QByteArray &table, const QByteArray &beforeSheets = {}, const QByteArray &tableAttrs = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"\n"
           " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"\n"
           " xmlns:x=\"urn:schemas-microsoft-com:office:excel\">\n"
           + beforeSheets + "<Worksheet ss:Name=\"Sheet1\"><Table" + tableAttrs + ">" + table
           + "</Table></Worksheet>\n</Workbook>\n";
}

Workbook readOk(const QByteArray &xml)
{
    sml::Error e;
    auto b = sml::read(xml, &e);
    if (!b)
        qWarning("unexpected error %d:%d %s", e.line, e.column, qPrintable(e.message));
    return b ? std::move(*b) : Workbook{};
}

QString styleIdAt(const Workbook &b, int row, int column)
{
    const int s = b.active()->effectiveStyle(row, column);
    return s < 0 ? QString() : b.styles[size_t(s)].id;
}

// Everything a reader of the file can see, cell by cell, as one comparable list.
QStringList contentOf(const Workbook &b)
{
    QStringList out;
    out << QStringLiteral("active=%1").arg(b.activeSheet);
    for (const Worksheet &s : b.sheets) {
        out << QStringLiteral("sheet %1 rows=%2 cols=%3 dh=%4").arg(s.name).arg(s.usedRows()).arg(s.usedColumns()).arg(s.defaultRowHeight);
        for (int c = 1; c <= s.usedColumns(); ++c)
            out << QStringLiteral("w%1=%2").arg(c).arg(s.columnWidth(c));
        for (int r = 1; r <= s.usedRows(); ++r) {
            if (s.rowHeight(r) > 0)
                out << QStringLiteral("h%1=%2").arg(r).arg(s.rowHeight(r));
            for (int c = 1; c <= s.usedColumns(); ++c) {
                const SheetCell *cell = s.cell(r, c);
                const int st = s.effectiveStyle(r, c);
                const QString style = st < 0 ? QString() : b.styles[size_t(st)].id;
                if (!cell && style.isEmpty())
                    continue;
                out << QStringLiteral("%1%2 [%3] %4 %5 +%6+%7")
                           .arg(columnName(c))
                           .arg(r)
                           .arg(style)
                           .arg(cell ? int(cell->type) : 0)
                           .arg(cell ? cell->text.toString() : QString())
                           .arg(cell ? cell->mergeAcross : 0)
                           .arg(cell ? cell->mergeDown : 0);
            }
        }
    }
    return out;
}

} // namespace

class FormatTest : public QObject
{
    Q_OBJECT
private slots:
    void readsTheLibreOfficeDatabase();
    void matchesByNamespaceNotPrefix();
    void placesCellsRowsAndColumns();
    void plainDecimal_data();
    void plainDecimal();
    void numbersAndOtherTypes();
    void readsStyles();
    void severalSheets();
    void refusesBrokenFiles_data();
    void refusesBrokenFiles();
    void neverExpandsEntities();
    void denseSmallElements();
    void namesTheFile();
    void roundTrips();
    void writesWhatOthersRead();
    void defaultFileIsTheBuiltInContent();
    void cellReferences();
};

void FormatTest::readsTheLibreOfficeDatabase()
{
    sml::Error e;
    const auto b = sml::readFile(kFixture, &e);
    QVERIFY2(b, qPrintable(e.message));
    QCOMPARE(b->sheets.size(), size_t(1));
    const Worksheet &s = *b->active();
    QCOMPARE(s.name, QStringLiteral("Sheet1"));

    // Header groups over merged cells, I1 empty.
    QCOMPARE(s.text(1, 1), QStringLiteral("ФИО левая сторона"));
    QCOMPARE(s.cell(1, 1)->mergeAcross, 2);
    QCOMPARE(s.text(1, 4), QStringLiteral("ФИО правая сторона"));
    QCOMPARE(s.cell(1, 4)->mergeAcross, 2);
    QCOMPARE(s.text(1, 7), QStringLiteral("Инициалы классного рукоговодителя на русском и на казахском"));
    QCOMPARE(s.cell(1, 7)->mergeAcross, 1);
    QCOMPARE(s.text(1, 9), QString());
    QCOMPARE(s.merges().size(), size_t(3));
    QCOMPARE(s.text(2, 9), QStringLiteral("Регистрационный номер"));

    const QStringList expected[] = {
        {"Жаксыбеков", "Нурсултан", "Абаевич", "Жақсыбеков", "Нұрсұлтан", "Абайұлы", "Оспанова Г.К.", "Г.Қ. Оспанова", "20417"},
        {"Воронцова", "Елена", "Павловна", "Воронцова", "Елена", "Павловна", "Оспанова Г.К.", "Г.Қ. Оспанова", "0020418"},
        {"Ли", "", "Сергеевич", "Ли", "", "Сергейұлы", "Оспанова Г.К.", "Г.Қ. Оспанова", "№ 20419"},
        {"Тлеубаева", "Динара", "Ерлановна\n(вторая строка)", "Тілеубаева", "Динара", "Ерланқызы", "Оспанова Г.К.",
         "Г.Қ. Оспанова", "20420"},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 9; ++c)
            QCOMPARE(s.text(r + 3, c + 1), expected[r][c]);
    QCOMPARE(s.cell(3, 9)->type, CellType::Number);
    QCOMPARE(s.cell(4, 9)->type, CellType::String);
    QVERIFY(!s.cell(5, 2)); // skipped by ss:Index
    QCOMPARE(s.text(7, 1), QString());
    QCOMPARE(s.usedRows(), 6);

    QCOMPARE(s.columnWidth(1), 75.744);
    QCOMPARE(s.columnWidth(9), 105.7608);
    QCOMPARE(s.rowHeight(6), 23.8392);
}

void FormatTest::matchesByNamespaceNotPrefix()
{
    // Prefixed elements, as LibreOffice writes the worksheet.
    const Workbook a = readOk("<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">"
                              "<ss:Worksheet ss:Name=\"Sheet1\"><ss:Table><ss:Row><ss:Cell ss:Index=\"2\">"
                              "<ss:Data ss:Type=\"String\">b</ss:Data></ss:Cell></ss:Row></ss:Table>"
                              "</ss:Worksheet></ss:Workbook>");
    QCOMPARE(a.active()->text(1, 2), QStringLiteral("b"));

    // Any prefix bound to the spreadsheet namespace counts.
    const Workbook b = readOk("<w:Workbook xmlns:w=\"urn:schemas-microsoft-com:office:spreadsheet\">"
                              "<w:Worksheet w:Name=\"S\"><w:Table><w:Row w:Index=\"4\"><w:Cell>"
                              "<w:Data w:Type=\"Number\">7</w:Data></w:Cell></w:Row></w:Table>"
                              "</w:Worksheet></w:Workbook>");
    QCOMPARE(b.active()->name, QStringLiteral("S"));
    QCOMPARE(b.active()->text(4, 1), QStringLiteral("7"));

    // "ss" bound elsewhere is not the spreadsheet, and a default namespace
    // switched inside a cell hides its data.
    const Workbook c = readOk(
        "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" xmlns:ss=\"urn:other\""
        " xmlns:q=\"urn:schemas-microsoft-com:office:spreadsheet\">"
        "<ss:Worksheet ss:Name=\"fake\"><ss:Table><ss:Row><ss:Cell><ss:Data>no</ss:Data></ss:Cell></ss:Row>"
        "</ss:Table></ss:Worksheet>"
        "<Worksheet q:Name=\"real\"><Table><Row><Cell><Data q:Type=\"String\">yes</Data></Cell>"
        "<Cell><Data xmlns=\"urn:other\">hidden</Data></Cell></Row></Table></Worksheet></Workbook>");
    QCOMPARE(c.sheets.size(), size_t(1));
    QCOMPARE(c.active()->name, QStringLiteral("real"));
    QCOMPARE(c.active()->text(1, 1), QStringLiteral("yes"));
    QCOMPARE(c.active()->text(1, 2), QString());

    // A prefix nobody declared is an error at its place.
    sml::Error e;
    QVERIFY(!sml::read(book("<Row>\n<Cell zz:Index=\"3\"/></Row>"), &e));
    QVERIFY2(e.message.contains(QStringLiteral("префикс пространства имён «zz» не объявлен")), qPrintable(e.message));
    QCOMPARE(e.line, 6);
    QCOMPARE(e.column, 1);
}

void FormatTest::placesCellsRowsAndColumns()
{
    const Workbook b = readOk(book(
        "<Column ss:Width=\"10\"/><Column ss:Index=\"3\" ss:Span=\"1\" ss:Width=\"30\"/><Column ss:Width=\"40\"/>"
        "<Row><Cell ss:MergeAcross=\"1\"><Data ss:Type=\"String\">ab</Data></Cell>"
        "<Cell><Data ss:Type=\"String\">c</Data></Cell><Cell ss:Index=\"6\" ss:MergeDown=\"1\"/></Row>"
        "<Row ss:Index=\"3\" ss:Height=\"20\"><Cell ss:Index=\"2\"><Data ss:Type=\"String\"> </Data></Cell></Row>"
        "<Row><Cell><Data ss:Type=\"String\">r4</Data></Cell></Row>"));
    const Worksheet &s = *b.active();
    QCOMPARE(s.columnWidth(1), 10.0);
    QCOMPARE(s.columnWidth(2), 0.0);
    QCOMPARE(s.columnWidth(3), 30.0);
    QCOMPARE(s.columnWidth(4), 30.0); // the span repeats column 3
    QCOMPARE(s.columnWidth(5), 40.0);
    QCOMPARE(s.text(1, 1), QStringLiteral("ab"));
    QCOMPARE(s.text(1, 3), QStringLiteral("c")); // after the merge, not in it
    QCOMPARE(s.cell(1, 6)->mergeDown, 1);
    QCOMPARE(s.text(3, 2), QStringLiteral(" ")); // a value of one space is a value
    QCOMPARE(s.rowHeight(3), 20.0);
    QCOMPARE(s.text(4, 1), QStringLiteral("r4"));
    QVERIFY(!s.row(2));
    QCOMPARE(s.usedRows(), 4);
    QCOMPARE(s.usedColumns(), 6);

    // A repeated row: its formatting repeats, its values stay in the first row.
    const Workbook r = readOk(book("<Row ss:Span=\"2\" ss:Height=\"15\"><Cell ss:StyleID=\"s\"/>"
                                   "<Cell><Data ss:Type=\"String\">v</Data></Cell></Row>"
                                   "<Row><Cell><Data ss:Type=\"String\">after</Data></Cell></Row>",
                                   "<Styles><Style ss:ID=\"s\"/></Styles>"));
    const Worksheet &rs = *r.active();
    for (int row = 1; row <= 3; ++row) {
        QCOMPARE(rs.rowHeight(row), 15.0);
        QCOMPARE(rs.text(row, 2), row == 1 ? QStringLiteral("v") : QString());
        QCOMPARE(styleIdAt(r, row, 1), QStringLiteral("s"));
    }
    QCOMPARE(rs.text(4, 1), QStringLiteral("after"));
    QCOMPARE(styleIdAt(r, 4, 1), QString());
}

void FormatTest::plainDecimal_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out"); // empty: not a number
    QTest::newRow("integer") << "125" << "125";
    QTest::newRow("trailing zero") << "125.0" << "125";
    QTest::newRow("exponent") << "1.25E+2" << "125";
    QTest::newRow("lower exponent") << "1.25e2" << "125";
    QTest::newRow("negative fraction") << "-0.50" << "-0.5";
    QTest::newRow("negative zero") << "-0.000" << "0";
    QTest::newRow("small") << "1E-3" << "0.001";
    QTest::newRow("big") << "2.5E+20" << "250000000000000000000";
    QTest::newRow("plus and zeros") << "+007" << "7";
    QTest::newRow("spaces") << " 42 " << "42";
    QTest::newRow("leading point") << ".5" << "0.5";
    QTest::newRow("trailing point") << "5." << "5";
    QTest::newRow("long") << "12345678901234567890" << "12345678901234567890";
    QTest::newRow("registration zeros kept inside") << "20400.0100" << "20400.01";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("word") << "abc" << "";
    QTest::newRow("two points") << "1.2.3" << "";
    QTest::newRow("bare exponent") << "1e" << "";
    QTest::newRow("nan") << "NaN" << "";
    QTest::newRow("infinity") << "INF" << "";
    QTest::newRow("out of range") << "1e400" << "";
    QTest::newRow("text after") << "12 шт" << "";
}

void FormatTest::plainDecimal()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    const auto got = gravik::plainDecimal(in);
    if (out.isEmpty())
        QVERIFY2(!got, qPrintable(got.value_or(QString())));
    else
        QCOMPARE(got.value_or(QStringLiteral("<none>")), out);
}

void FormatTest::numbersAndOtherTypes()
{
    const Workbook b = readOk(book("<Row><Cell><Data ss:Type=\"Number\">1.25E+2</Data></Cell>"
                                   "<Cell><Data ss:Type=\"Number\">n/a</Data></Cell>"
                                   "<Cell><Data ss:Type=\"Boolean\">1</Data></Cell>"
                                   "<Cell><Data ss:Type=\"DateTime\">2024-05-25T00:00:00.000</Data></Cell>"
                                   "<Cell><Data ss:Type=\"String\"><![CDATA[a<b]]></Data></Cell>"
                                   "<Cell><ss:Data ss:Type=\"String\" xmlns=\"http://www.w3.org/TR/REC-html40\">"
                                   "<B>Жир</B><Font>ный</Font></ss:Data></Cell>"
                                   "<Cell><Data ss:Type=\"String\">&amp;&lt;&#1046;&#x416;</Data></Cell></Row>"));
    const Worksheet &s = *b.active();
    QCOMPARE(s.text(1, 1), QStringLiteral("125"));
    QCOMPARE(s.cell(1, 1)->type, CellType::Number);
    QCOMPARE(s.text(1, 2), QStringLiteral("n/a")); // kept as the text it is
    QCOMPARE(s.cell(1, 2)->type, CellType::String);
    QCOMPARE(s.cell(1, 3)->type, CellType::Boolean);
    QCOMPARE(s.text(1, 4), QStringLiteral("2024-05-25T00:00:00.000"));
    QCOMPARE(s.text(1, 5), QStringLiteral("a<b"));
    QCOMPARE(s.text(1, 6), QStringLiteral("Жирный"));
    QCOMPARE(s.text(1, 7), QStringLiteral("&<ЖЖ"));
}

void FormatTest::readsStyles()
{
    const Workbook b = readOk(book(
        "<Column ss:StyleID=\"col\"/><Row ss:StyleID=\"row\"><Cell ss:StyleID=\"child\"/><Cell ss:Index=\"3\"/>"
        "</Row><Row><Cell ss:StyleID=\"missing\"><Data ss:Type=\"String\">x</Data></Cell><Cell/></Row>",
        "<Styles><Style ss:ID=\"base\" ss:Name=\"Base\"><Alignment ss:Horizontal=\"Center\" ss:WrapText=\"1\"/>"
        "<Borders><Border ss:Position=\"Left\" ss:LineStyle=\"Continuous\" ss:Weight=\"1\" ss:Color=\"#FF0000\"/></Borders>"
        "<Font ss:FontName=\"Times New Roman\" x:CharSet=\"204\" ss:Size=\"9\" ss:Bold=\"1\" ss:Color=\"#A52A2A\"/>"
        "<Interior ss:Color=\"#F0FFFF\" ss:Pattern=\"Solid\"/><NumberFormat ss:Format=\"@\"/></Style>"
        "<Style ss:ID=\"child\" ss:Parent=\"base\"><Font ss:Size=\"12\"/></Style>"
        "<Style ss:ID=\"child\"><Font ss:Size=\"99\"/></Style>"
        "<Style ss:ID=\"row\"/><Style ss:ID=\"col\"/><Style ss:ID=\"table\"/></Styles>",
        " ss:StyleID=\"table\""));
    QCOMPARE(b.styles.size(), size_t(5)); // the repeated name is dropped
    const CellStyle &child = b.styles[size_t(b.styleIndex(QStringLiteral("child")))];
    QCOMPARE(child.fontSize, QStringLiteral("12"));
    QCOMPARE(child.fontName, QStringLiteral("Times New Roman")); // from the parent
    QCOMPARE(child.bold, QStringLiteral("1"));
    QCOMPARE(child.charSet, QStringLiteral("204"));
    QCOMPARE(child.horizontal, QStringLiteral("Center"));
    QCOMPARE(child.wrapText, QStringLiteral("1"));
    QCOMPARE(child.interiorColor, QStringLiteral("#F0FFFF"));
    QCOMPARE(child.numberFormat, QStringLiteral("@"));
    QCOMPARE(child.borders.size(), size_t(1));
    QCOMPARE(child.borders[0].color, QStringLiteral("#FF0000"));

    // A cell's own style, then the row's, the column's, the table's.
    QCOMPARE(styleIdAt(b, 1, 1), QStringLiteral("child"));
    QCOMPARE(styleIdAt(b, 1, 3), QStringLiteral("row"));
    QCOMPARE(styleIdAt(b, 2, 1), QStringLiteral("col")); // "missing" names no style
    QCOMPARE(styleIdAt(b, 2, 2), QStringLiteral("table"));
}

void FormatTest::severalSheets()
{
    const QByteArray sheets =
        "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\""
        " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\" xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"
        "<DocumentProperties xmlns=\"urn:schemas-microsoft-com:office:office\"><Author>A</Author></DocumentProperties>"
        "%1"
        "<Worksheet ss:Name=\"Sheet1\"><Table><Row><Cell><Data ss:Type=\"String\">head</Data></Cell></Row></Table>"
        "<WorksheetOptions xmlns=\"urn:schemas-microsoft-com:office:excel\"><FrozenNoSplit/></WorksheetOptions></Worksheet>"
        "<Worksheet ss:Name=\"Pupils\"><Table><Row ss:Index=\"3\"><Cell><Data ss:Type=\"String\">p</Data></Cell></Row>"
        "</Table><x:WorksheetOptions><x:Selected/></x:WorksheetOptions></Worksheet>"
        "<Worksheet ss:Name=\"Third\"/></Workbook>";
    // The workbook names its active sheet...
    const Workbook a = readOk(QString::fromLatin1(sheets)
                                  .arg("<ExcelWorkbook xmlns=\"urn:schemas-microsoft-com:office:excel\">"
                                       "<ActiveSheet>2</ActiveSheet></ExcelWorkbook>")
                                  .toUtf8());
    QCOMPARE(a.sheets.size(), size_t(3));
    QCOMPARE(a.active()->name, QStringLiteral("Third"));
    // ...or a sheet says it is selected...
    const Workbook b = readOk(QString::fromLatin1(sheets).arg(QString()).toUtf8());
    QCOMPARE(b.active()->name, QStringLiteral("Pupils"));
    QCOMPARE(b.sheet(QStringLiteral("Sheet1"))->text(1, 1), QStringLiteral("head"));
    QCOMPARE(b.active()->text(3, 1), QStringLiteral("p"));
    // ...and the choice survives a write.
    const Workbook c = readOk(sml::write(b));
    QCOMPARE(c.active()->name, QStringLiteral("Pupils"));
    QCOMPARE(contentOf(c), contentOf(b));
    const Workbook d = readOk(sml::write(a));
    QCOMPARE(d.active()->name, QStringLiteral("Third"));
}

void FormatTest::refusesBrokenFiles_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<int>("line");   // 0: no position expected
    QTest::addColumn<int>("column"); // 0: any
    QTest::addColumn<QString>("says");
    QTest::newRow("empty") << QByteArray() << 0 << 0 << "нет ни одного элемента";
    QTest::newRow("not xml") << QByteArray("Фамилия;Имя\n") << 0 << 0 << "не XML";
    QTest::newRow("mismatch") << QByteArray("<Workbook>\n <Worksheet>\n  <Table></Tabel>\n") << 3 << 12 << "закрывающий тег";
    QTest::newRow("cut short") << book("<Row><Cell><Data ss:Type=\"String\">x</Data></Cell></Row>").left(200) << 0 << 0
                               << "";
    QTest::newRow("bad attribute") << QByteArray("<Workbook a=1/>") << 1 << 0 << "атрибут";
    QTest::newRow("other root") << QByteArray("<?xml version=\"1.0\"?>\n<html><body/></html>") << 2 << 1
                                << "не является книгой";
    QTest::newRow("no sheet") << QByteArray("<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"/>") << 1
                              << 1 << "нет ни одного листа";
    QTest::newRow("row far out") << book("\n<Row ss:Index=\"2000000\"/>") << 6 << 1 << "ss:Index";
    QTest::newRow("column far out") << book("<Row><Cell ss:Index=\"99999\"/></Row>") << 5 << 0 << "ss:Index";
    QTest::newRow("negative merge") << book("<Row><Cell ss:MergeAcross=\"-1\"/></Row>") << 5 << 0 << "MergeAcross";
    QTest::newRow("koi8") << QByteArray("<?xml version=\"1.0\" encoding=\"KOI8-R\"?><Workbook/>") << 0 << 0 << "KOI8-R";
    // Not XML, though a lenient reader would take it; an entity without a
    // DTD is unknown, whatever its name.
    const auto inData = [](const QByteArray &text) { return book("<Row><Cell><Data ss:Type=\"String\">" + text + "</Data></Cell></Row>"); };
    QTest::newRow("bare ampersand") << inData("Ли & Ко") << 5 << 73 << "&amp;";
    QTest::newRow("html entity") << inData("Ли&nbsp;Ко") << 5 << 72 << "неизвестная ссылка";
    QTest::newRow("nul reference") << inData("Ли&#0;") << 5 << 72 << "недопустимый";
    QTest::newRow("control character") << inData("Ли\x01") << 5 << 72 << "управляющий символ";
    QTest::newRow("invalid UTF-8") << inData("Л\xD0") << 5 << 71 << "UTF-8";
    QTest::newRow("repeated attribute") << book("<Row><Cell ss:Index=\"2\" ss:Index=\"3\"/></Row>") << 5 << 60 << "повторён";
    // Names that break the namespace rules, at their start tag.
    QTest::newRow("two prefixes, one namespace")
        << book("<Row><Cell ss:Index=\"2\" q:Index=\"3\" xmlns:q=\"urn:schemas-microsoft-com:office:spreadsheet\"/></Row>")
        << 5 << 41 << "префиксы «ss» и «q»";
    QTest::newRow("prefix out of scope") << book("<Row xmlns:p=\"urn:other\"/><Row p:Index=\"2\"/>") << 5 << 62
                                         << "«p» не объявлен";
    QTest::newRow("empty prefix binding") << book("<Row xmlns:p=\"\"/>") << 5 << 36 << "объявлен пустым";
    QTest::newRow("xml rebound") << book("<Row xmlns:xml=\"urn:other\"/>") << 5 << 36 << "зарезервированное";
    QTest::newRow("xmlns namespace bound") << book("<Row xmlns:p=\"http://www.w3.org/2000/xmlns/\"/>") << 5 << 36
                                           << "зарезервированное";
    QTest::newRow("second colon") << book("<Row><ss:Cell:x/></Row>") << 5 << 41 << "двоеточие";
}

void FormatTest::refusesBrokenFiles()
{
    QFETCH(QByteArray, xml);
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(QString, says);
    sml::Error e;
    QVERIFY(!sml::read(xml, &e));
    QVERIFY(!e.message.isEmpty());
    QVERIFY2(e.message.contains(says), qPrintable(e.message));
    if (line > 0)
        QCOMPARE(e.line, line);
    if (column > 0)
        QCOMPARE(e.column, column);
}

void FormatTest::neverExpandsEntities()
{
    QTemporaryDir dir;
    const QString secret = dir.filePath(QStringLiteral("secret.txt"));
    QFile f(secret);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("TOP-SECRET");
    f.close();

    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE Workbook [\n<!ENTITY lol \"lol\">\n";
    for (int i = 1; i <= 9; ++i) {
        laughs += QStringLiteral("<!ENTITY lol%1 \"").arg(i).toLatin1();
        for (int k = 0; k < 10; ++k)
            laughs += i == 1 ? "&lol;" : QStringLiteral("&lol%1;").arg(i - 1).toLatin1();
        laughs += "\">\n";
    }
    laughs += "]>\n" + book("<Row><Cell><Data ss:Type=\"String\">&lol9;</Data></Cell></Row>").mid(39);
    QElapsedTimer t;
    t.start();
    sml::Error e;
    QVERIFY(!sml::read(laughs, &e));
    QVERIFY(t.elapsed() < 1000);
    QVERIFY2(e.message.contains(QStringLiteral("DOCTYPE")), qPrintable(e.message));
    QCOMPARE(e.line, 2);

    const QByteArray external = "<?xml version=\"1.0\"?>\n<!DOCTYPE Workbook [<!ENTITY x SYSTEM \"file://"
                                + secret.toUtf8() + "\">]>\n"
                                + book("<Row><Cell><Data ss:Type=\"String\">&x;</Data></Cell></Row>").mid(39);
    QVERIFY(!sml::read(external, &e));
}

void FormatTest::denseSmallElements()
{
    // Nodes far larger than the text they come from: the parser outgrows its
    // block of memory and carries on from the heap.
    QByteArray rows;
    rows.reserve(300000 * 6 + 100);
    for (int i = 0; i < 300000; ++i)
        rows += "<Row/>";
    rows += "<Row><Cell ss:Index=\"2\"><Data ss:Type=\"String\">последняя</Data></Cell></Row>";
    const Workbook b = readOk(book(rows));
    QCOMPARE(b.active()->text(300001, 2), QStringLiteral("последняя"));
    QCOMPARE(b.active()->rows.size(), size_t(1));
    // And again, with the heap memory of the last parse given back.
    QCOMPARE(readOk(book(rows)).active()->usedRows(), 300001);
}

void FormatTest::namesTheFile()
{
    QTemporaryDir dir;
    sml::Error e;
    const QString missing = dir.filePath(QStringLiteral("Baza.xml"));
    QVERIFY(!sml::readFile(missing, &e));
    QVERIFY2(e.message.contains(QDir::toNativeSeparators(missing)), qPrintable(e.message));
    QVERIFY(e.message.contains(QStringLiteral("не найден")));

    QVERIFY(!sml::readFile(dir.path(), &e)); // a folder, not a file
    QVERIFY(e.message.contains(QDir::toNativeSeparators(dir.path())));

    QFile f(missing);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<Workbook>\n<Row>\n</Workbook>");
    f.close();
    QVERIFY(!sml::readFile(missing, &e));
    QVERIFY2(e.message.startsWith(QStringLiteral("Файл %1, строка 3, столбец ").arg(QDir::toNativeSeparators(missing))),
             qPrintable(e.message));

    // An 8-bit Cyrillic file that says so reads as the letters it holds.
    const QByteArray cp = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n" + book("<Row><Cell><Data ss:Type=\"String\">"
                          "\xD4\xE0\xEC\xE8\xEB\xE8\xFF</Data></Cell></Row>").mid(39);
    QCOMPARE(readOk(cp).active()->text(1, 1), QStringLiteral("Фамилия"));

    // A UTF-32 file, which expat does not read itself, read from the disk.
    const QString wide = QString::fromUtf8(book("<Row><Cell><Data ss:Type=\"String\">Имя</Data></Cell></Row>"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QStringEncoder(QStringEncoder::Utf32LE, QStringEncoder::Flag::WriteBom)(wide));
    f.close();
    const auto w = sml::readFile(missing, &e);
    QVERIFY2(w, qPrintable(e.message));
    QCOMPARE(w->active()->text(1, 1), QStringLiteral("Имя"));
}

void FormatTest::roundTrips()
{
    // Everything the model holds comes back: values and their types, merges,
    // styles of cells, rows, columns and the table, widths, heights, ranges.
    Workbook b = studentdb::builtIn();
    Worksheet &s = b.sheets[0];
    s.setText(3, 1, QStringLiteral("Ли & <Ко> \"кавычки\" 'апостроф'"));
    s.setText(3, 2, QStringLiteral("две\nстроки\r\nи возврат\rкаретки\tтаб"));
    s.setText(3, 9, QStringLiteral("125"), CellType::Number);
    s.setText(4, 3, QStringLiteral("  пробелы по краям  "));
    s.cellAt(6, 12).mergeDown = 2;
    s.cellAt(6, 12).mergeAcross = 1;
    s.setText(6, 12, QStringLiteral("вниз"));
    s.rowAt(2000).height = 30;
    s.rowAt(2000).style = 2;
    s.rowAt(2001).hidden = true;
    s.columns[1].style = 3;
    s.style = 1;
    Worksheet second;
    second.name = QStringLiteral("Лист & 2");
    second.setText(1, 1, QStringLiteral("1"), CellType::Boolean);
    b.sheets.push_back(second);

    const Workbook back = readOk(sml::write(b));
    const QStringList want = contentOf(b), got = contentOf(back);
    QCOMPARE(got.size(), want.size());
    for (int i = 0; i < want.size(); ++i)
        QCOMPARE(got[i], want[i]);
    QVERIFY(back.active()->row(2001)->hidden);
    QCOMPARE(back.styles.size(), b.styles.size());
    for (size_t i = 0; i < b.styles.size(); ++i) {
        QCOMPARE(back.styles[i].id, b.styles[i].id);
        QCOMPARE(back.styles[i].fontName, b.styles[i].fontName);
        QCOMPARE(back.styles[i].fontColor, b.styles[i].fontColor);
        QCOMPARE(back.styles[i].borders.size(), b.styles[i].borders.size());
    }
    // The long run of blank bordered rows comes back as a range, not cell by cell.
    QCOMPARE(back.active()->formats().size(), size_t(1));
    QCOMPARE(back.active()->formats()[0].bottom, studentdb::LastBorderedRow);
    QVERIFY(back.active()->rows.size() < 20);

    // What XML cannot carry goes: a control character, and a cell under a merge.
    Workbook odd = studentdb::builtIn();
    odd.sheets[0].setText(3, 1, QStringLiteral("управляющий\x01символ"));
    odd.sheets[0].setText(1, 2, QStringLiteral("под объединением"));
    const Workbook oddBack = readOk(sml::write(odd));
    QCOMPARE(oddBack.active()->text(3, 1), QStringLiteral("управляющийсимвол"));
    QCOMPARE(oddBack.active()->text(1, 2), QString());
    QCOMPARE(oddBack.active()->text(1, 1), QStringLiteral("ФИО левая сторона"));

    // Another program's file survives too.
    sml::Error e;
    const auto lo = sml::readFile(kFixture, &e);
    QVERIFY(lo);
    QCOMPARE(contentOf(readOk(sml::write(*lo))), contentOf(*lo));
}

void FormatTest::writesWhatOthersRead()
{
    Workbook b = studentdb::builtIn();
    b.sheets[0].setText(1700, 2, QStringLiteral("далеко"));
    const QByteArray xml = sml::write(b);
    QVERIFY(xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<?mso-application progid=\"Excel.Sheet\"?>"));
    // Excel refuses a table smaller than what it holds.
    QVERIFY(xml.contains("ss:ExpandedColumnCount=\"9\" ss:ExpandedRowCount=\"1700\""));
    QCOMPARE(xml.count("<Column "), 9);
    QVERIFY(xml.contains("<Column ss:AutoFitWidth=\"0\" ss:Width=\"168.75\"/>"));
    // Every bordered empty row is written out, for programs that ignore ss:Span.
    QCOMPARE(xml.count("<Row"), 1642 + 1);
    QVERIFY(!xml.contains("ss:Span"));
    QVERIFY(xml.contains("<Row ss:Index=\"1700\"><Cell ss:Index=\"2\"><Data ss:Type=\"String\">далеко</Data></Cell></Row>"));
    // Covered cells of a merge are not written.
    QVERIFY(xml.contains("ss:MergeAcross=\"1\"><Data ss:Type=\"String\">Инициалы классного рукоговодителя на русском и "
                         "на казахском</Data></Cell><Cell ss:StyleID=\"Heading\"/></Row>"));
}

void FormatTest::defaultFileIsTheBuiltInContent()
{
    QFile f(QStringLiteral(GRAVIK_DEFAULTS_DIR "/Baza.xml"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray stored = f.readAll();
    QVERIFY2(stored == sml::write(studentdb::builtIn()), "defaults/Baza.xml differs from the built-in content");
    const Workbook b = readOk(stored);
    QCOMPARE(contentOf(b), contentOf(studentdb::builtIn()));
    QCOMPARE(b.active()->text(3, 3), QString());
}

void FormatTest::cellReferences()
{
    const std::pair<const char *, std::pair<int, int>> good[] = {
        {"A1", {1, 1}}, {"I2", {2, 9}}, {"G1", {1, 7}}, {"AA10", {10, 27}}, {"$B$3", {3, 2}},
        {"a1", {1, 1}}, {"XFD1048576", {1048576, 16384}}};
    for (const auto &[ref, rc] : good) {
        const auto r = parseCellRef(QString::fromLatin1(ref));
        QVERIFY2(r, ref);
        QCOMPARE(r->row, rc.first);
        QCOMPARE(r->column, rc.second);
    }
    for (const char *bad : {"", "A", "1", "1A", "A0", "A1B", "XFE1", "A1048577", "Ф1", "A 1"})
        QVERIFY2(!parseCellRef(QString::fromUtf8(bad)), bad);
    QCOMPARE(columnName(1), QStringLiteral("A"));
    QCOMPARE(columnName(26), QStringLiteral("Z"));
    QCOMPARE(columnName(27), QStringLiteral("AA"));
    QCOMPARE(columnName(702), QStringLiteral("ZZ"));
    QCOMPARE(columnName(703), QStringLiteral("AAA"));
}

QTEST_GUILESS_MAIN(FormatTest)
#include "test_format.moc"
