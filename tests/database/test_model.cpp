#include "database/database.h"
#include "database/workbookmodel.h"

#include "support/programfolder.h"

#include <QColor>
#include <QFont>
#include <QSignalSpy>
#include <QtTest>

using namespace gravik;

namespace {

QModelIndex at(const WorkbookModel &m, const char *a1)
{
    const auto r = parseCellRef(QString::fromLatin1(a1));
    return m.index(r->row - 1, r->column - 1);
}

} // namespace

class ModelTest : public QObject
{
    Q_OBJECT
private slots:
    void builtInContent();
    void operatorEdits();
    void blockEditsAreOneStep();
    void headerCellsAreNotEdits();
    void loadAndExport();
};

void ModelTest::builtInContent()
{
    WorkbookModel m;
    QVERIFY(!m.isModified());
    QVERIFY(m.rowCount() > studentdb::LastBorderedRow);
    QCOMPARE(m.columnCount(), WorkbookModel::MinColumns);
    QCOMPARE(m.headerData(8, Qt::Horizontal).toString(), QStringLiteral("I"));
    QCOMPARE(m.headerData(2, Qt::Vertical).toInt(), 3);
    QCOMPARE(m.columnWidthPoints(1), 75.75);
    QCOMPARE(m.columnWidthPoints(8), 168.75);
    QCOMPARE(m.columnWidthPoints(10), WorkbookModel::FallbackColumnWidth);
    QCOMPARE(m.defaultRowHeightPoints(), 12.75);
    QCOMPARE(m.merges().size(), size_t(3));

    const QStringList heads = studentdb::russianHeaders();
    for (int i = 0; i < studentdb::HeaderRefs.size(); ++i)
        QCOMPARE(at(m, qPrintable(studentdb::HeaderRefs[i])).data().toString(), heads[i]);

    const int all = WorkbookModel::LeftSide | WorkbookModel::TopSide | WorkbookModel::RightSide | WorkbookModel::BottomSide;
    // Headers: Times New Roman 9 bold, brown on azure, bordered; the groups and A2 to F2 centred.
    for (const char *ref : {"A1", "D1", "G1", "I1", "A2", "F2", "G2", "I2"}) {
        const QModelIndex i = at(m, ref);
        const QFont f = i.data(Qt::FontRole).value<QFont>();
        QCOMPARE(f.family(), QStringLiteral("Times New Roman"));
        QCOMPARE(f.pointSizeF(), 9.0);
        QVERIFY(f.bold());
        QCOMPARE(i.data(Qt::ForegroundRole).value<QColor>(), QColor(0xA5, 0x2A, 0x2A));
        QCOMPARE(i.data(Qt::BackgroundRole).value<QColor>(), QColor(0xF0, 0xFF, 0xFF));
        QCOMPARE(i.data(WorkbookModel::BordersRole).toInt(), all);
        const auto align = Qt::Alignment(i.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask;
        const bool centred = QByteArray(ref) < QByteArray("G2") && QByteArray(ref) != "I1";
        QCOMPARE(align == Qt::AlignHCenter, centred);
    }
    // Pupil cells: Times New Roman 10, blue on azure, bordered down to row 1642 in A to I.
    for (const char *ref : {"A3", "I3", "E800", "A1642", "I1642"}) {
        const QModelIndex i = at(m, ref);
        const QFont f = i.data(Qt::FontRole).value<QFont>();
        QCOMPARE(f.family(), QStringLiteral("Times New Roman"));
        QCOMPARE(f.pointSizeF(), 10.0);
        QVERIFY(!f.bold());
        QCOMPARE(i.data(Qt::ForegroundRole).value<QColor>(), QColor(0x00, 0x00, 0xCD));
        QCOMPARE(i.data(WorkbookModel::BordersRole).toInt(), all);
        QCOMPARE(i.data().toString(), QString());
    }
    for (const char *ref : {"A1643", "J3", "Z1"}) {
        const QModelIndex i = at(m, ref);
        QCOMPARE(i.data(WorkbookModel::BordersRole).toInt(), 0);
        QVERIFY(!i.data(Qt::BackgroundRole).isValid());
    }
}

void ModelTest::operatorEdits()
{
    WorkbookModel m;
    QSignalSpy modified(&m, &WorkbookModel::modifiedChanged);
    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);

    // Typing the text a cell already holds changes nothing.
    QVERIFY(m.setData(at(m, "A3"), QString()));
    QVERIFY(!m.isModified());
    QCOMPARE(changed.count(), 0);

    QVERIFY(m.setData(at(m, "A3"), QStringLiteral("Ким")));
    QVERIFY(m.isModified());
    QCOMPARE(modified.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(m.cellText(3, 1), QStringLiteral("Ким"));
    // The new cell keeps the look of its bordered row.
    QCOMPARE(at(m, "A3").data(Qt::ForegroundRole).value<QColor>(), QColor(0x00, 0x00, 0xCD));
    QVERIFY(m.setData(at(m, "B3"), QStringLiteral("Анна")));
    QCOMPARE(modified.count(), 1); // still the same unsaved state

    // A number edited as a number stays one, in its plain form.
    Workbook b = studentdb::builtIn();
    b.sheets[0].setText(3, 9, QStringLiteral("125"), CellType::Number);
    m.setWorkbook(b);
    QVERIFY(!m.isModified());
    QVERIFY(m.setData(at(m, "I3"), QStringLiteral("1.26E+2")));
    QCOMPARE(m.cellText(3, 9), QStringLiteral("126"));
    QCOMPARE(m.activeSheet().cell(3, 9)->type, CellType::Number);
    QVERIFY(m.setData(at(m, "I3"), QStringLiteral("№ 126")));
    QCOMPARE(m.activeSheet().cell(3, 9)->type, CellType::String);
    QCOMPARE(Qt::Alignment(at(m, "I3").data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);

    // Typing near the end offers more rows and columns.
    const int rows = m.rowCount(), columns = m.columnCount();
    QVERIFY(m.setData(m.index(rows - 1, columns - 1), QStringLiteral("край")));
    QCOMPARE(m.rowCount(), rows + WorkbookModel::SpareRows);
    QCOMPARE(m.columnCount(), columns + 1);
    QCOMPARE(m.cellText(rows, columns), QStringLiteral("край"));

    QVERIFY(!m.setData(at(m, "A3"), QStringLiteral("x"), Qt::DisplayRole + 100));
    QVERIFY(m.flags(at(m, "A3")) & Qt::ItemIsEditable);
}

void ModelTest::blockEditsAreOneStep()
{
    Workbook b = studentdb::builtIn();
    b.sheets[0].setText(3, 9, QStringLiteral("125"), CellType::Number);
    WorkbookModel m;
    m.setWorkbook(b);
    QSignalSpy modified(&m, &WorkbookModel::modifiedChanged);
    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);

    // Rows of texts from H3 on: the number stays a number, the block grows the sheet.
    const int columns = m.columnCount();
    QVERIFY(m.setTexts(3, 8, {{"Ким Б.", "126"}, {"Ли А.", "127", "x"}, {}, {"", "", "", "далеко"}}));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(modified.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), at(m, "H3"));
    QCOMPARE(changed.at(0).at(1).toModelIndex(), m.index(5, 10));
    QCOMPARE(m.cellText(4, 8), QStringLiteral("Ли А."));
    QCOMPARE(m.activeSheet().cell(3, 9)->type, CellType::Number);
    QCOMPARE(m.cellText(6, 11), QStringLiteral("далеко"));
    QVERIFY(m.columnCount() >= columns);

    // The same texts again, or emptying cells that are empty, change nothing.
    m.setModified(false);
    QVERIFY(!m.setTexts(3, 8, {{"Ким Б.", "126"}}));
    QVERIFY(!m.clearCells({at(m, "A10"), at(m, "B10")}));
    QVERIFY(!m.isModified());
    QCOMPARE(changed.count(), 1);

    QVERIFY(m.clearCells({at(m, "H3"), at(m, "I4"), at(m, "A10")}));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(1).at(0).toModelIndex(), at(m, "H3"));
    QCOMPARE(changed.at(1).at(1).toModelIndex(), at(m, "I4"));
    QVERIFY(m.isModified());
    QCOMPARE(m.cellText(3, 8), QString());
    QCOMPARE(m.cellText(3, 9), QStringLiteral("126"));
    QCOMPARE(m.cellText(4, 9), QString());

    // A step undoes as one; back at the saved content the model is unmodified,
    // and the number is a number again.
    m.history().undo();
    QCOMPARE(changed.count(), 3);
    QCOMPARE(m.cellText(4, 9), QStringLiteral("127"));
    QVERIFY(!m.isModified());
    m.history().undo();
    QCOMPARE(m.cellText(3, 9), QStringLiteral("125"));
    QCOMPARE(m.activeSheet().cell(3, 9)->type, CellType::Number);
    QCOMPARE(m.cellText(6, 11), QString());
    QVERIFY(m.isModified());
    m.history().redo();
    QVERIFY(!m.isModified());
    // Another workbook has nothing to undo; an imported one has no clean state.
    m.setWorkbook(b);
    QVERIFY(!m.history().canUndo());
    m.setModified(true);
    QVERIFY(m.setData(at(m, "A3"), QStringLiteral("Ким")));
    m.history().undo();
    QVERIFY(m.isModified());
}

void ModelTest::headerCellsAreNotEdits()
{
    WorkbookModel m;
    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);
    QVERIFY(m.writeCell(QStringLiteral("Sheet1"), QStringLiteral("A1"), QStringLiteral("Толық аты-жөні сол жағында")));
    QCOMPARE(m.cellText(1, 1), QStringLiteral("Толық аты-жөні сол жағында"));
    QCOMPARE(m.activeSheet().cell(1, 1)->mergeAcross, 2); // the merge stays
    QCOMPARE(changed.count(), 1);
    QVERIFY(!m.isModified());
    QVERIFY(!m.writeCell(QStringLiteral("sheet1"), QStringLiteral("A1"), QStringLiteral("x")));
    QVERIFY(!m.writeCell(QStringLiteral("Sheet1"), QStringLiteral("1A"), QStringLiteral("x")));

    // "Sheet1" that is not the active sheet: written there, the shown sheet untouched.
    Workbook b;
    b.sheets.resize(2);
    b.sheets[0].name = QStringLiteral("Sheet1");
    b.sheets[1].name = QStringLiteral("Ученики");
    b.sheets[1].setText(1, 1, QStringLiteral("свой заголовок"));
    b.activeSheet = 1;
    m.setWorkbook(b);
    QVERIFY(m.writeCell(QStringLiteral("Sheet1"), QStringLiteral("A1"), QStringLiteral("Фамилия")));
    QCOMPARE(m.cellText(1, 1), QStringLiteral("свой заголовок"));
    QCOMPARE(m.workbook().sheet(QStringLiteral("Sheet1"))->text(1, 1), QStringLiteral("Фамилия"));

    b.sheets[0].name = QStringLiteral("Лист1");
    m.setWorkbook(b);
    QVERIFY(!m.writeCell(QStringLiteral("Sheet1"), QStringLiteral("A1"), QStringLiteral("Фамилия")));
}

void ModelTest::loadAndExport()
{
    ProgramFolder dir;
    WorkbookModel m;
    QVERIFY(m.setData(at(m, "A3"), QStringLiteral("Ким")));
    QSignalSpy reset(&m, &QAbstractItemModel::modelReset);

    // A failed load changes nothing.
    dir.write(QStringLiteral("bad.xml"), "<Workbook>");
    spreadsheetml::Error e;
    QVERIFY(!m.load(dir.file(QStringLiteral("bad.xml")), &e));
    QVERIFY(e.message.contains(QStringLiteral("bad.xml")));
    QCOMPARE(m.cellText(3, 1), QStringLiteral("Ким"));
    QVERIFY(m.isModified());
    QCOMPARE(reset.count(), 0);

    QString error;
    QVERIFY(m.exportTo(dir.file(QStringLiteral("out.xml")), &error));
    QVERIFY(m.isModified()); // saving is the window's business
    QVERIFY(!m.exportTo(dir.file(QStringLiteral("missing/out.xml")), &error));
    QVERIFY2(error.contains(QStringLiteral("out.xml")), qPrintable(error));

    WorkbookModel other;
    QVERIFY(other.load(dir.file(QStringLiteral("out.xml")), &e));
    QCOMPARE(reset.count(), 0);
    QCOMPARE(other.cellText(3, 1), QStringLiteral("Ким"));
    QCOMPARE(other.cellText(1, 1), QStringLiteral("ФИО левая сторона"));
    QCOMPARE(other.rowCount(), m.rowCount());
    QCOMPARE(at(other, "I1642").data(WorkbookModel::BordersRole), at(m, "I1642").data(WorkbookModel::BordersRole));
    QVERIFY(!other.isModified());
}

QTEST_MAIN(ModelTest)
#include "test_model.moc"
