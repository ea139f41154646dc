#include "core/cp1251.h"
#include "database/spreadsheetml.h"
#include "database/database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace gravik;

namespace {

// Rows of fields from CSV text: quoted fields may hold commas, quotes and line breaks.
std::vector<QStringList> parseCsv(const QString &text)
{
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false, any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
            any = true;
        } else if (c == u',') {
            row << field;
            field.clear();
            any = true;
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            row << field;
            rows.push_back(row);
            row.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.isEmpty())
        rows.push_back(row << field);
    return rows;
}

QString csvCell(const std::vector<QStringList> &rows, int row, int column)
{
    if (row < 1 || row > int(rows.size()) || column > rows[size_t(row - 1)].size())
        return QString();
    return rows[size_t(row - 1)][column - 1];
}

// Every cell of the sheet's used range must read the same in LibreOffice, and
// LibreOffice must see nothing beyond it.
void compareEveryCell(const Worksheet &sheet, const std::vector<QStringList> &csv, const QString &what)
{
    int columns = sheet.usedColumns();
    for (const QStringList &r : csv)
        columns = std::max(columns, int(r.size()));
    const int rows = std::max(sheet.usedRows(), int(csv.size()));
    int compared = 0;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= columns; ++c) {
            // The file holds the letters' stored forms, which LibreOffice shows.
            const QString ours = cp1251::storedForms(sheet.text(r, c)), theirs = csvCell(csv, r, c);
            if (ours != theirs)
                QFAIL(qPrintable(QStringLiteral("%1, %2%3: ours «%4», LibreOffice «%5»")
                                     .arg(what, columnName(c)).arg(r).arg(ours, theirs)));
            ++compared;
        }
    QVERIFY(compared >= 9 * 2);
}

} // namespace

class LibreOfficeTest : public QObject
{
    Q_OBJECT
private slots:
    void readsWhatWeWriteAndWeReadWhatItWrites();
};

void LibreOfficeTest::readsWhatWeWriteAndWeReadWhatItWrites()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Workbook ours = studentdb::builtIn();
    const QStringList pupils[] = {
        {"Жаксыбеков", "Нурсултан", "Абаевич", "Жақсыбеков", "Нұрсұлтан", "Абайұлы", "Оспанова Г.К.", "Г.Қ. Оспанова", "20417"},
        {"Ли", "", "Сергеевич", "Ли", "", "Сергейұлы", "Ким & <Ко>", "\"Кавычки\", запятая", "0020418"},
        {"Тлеубаева", "Динара", "Ерлановна\n(вторая строка)", "Тілеубаева", "Динара", "Ерланқызы", "a;b", "'x'", "0.5"},
        {"O'Brien", "Анна-Мария", "  пробелы  ", "Ө Ү Ғ", "Ң", "Ұ", "№ 20419", "€", "125"},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 9; ++c) {
            const bool number = c == 8 && pupils[r][c] != "0020418";
            ours.sheets[0].setText(r + 3, c + 1, pupils[r][c], number ? CellType::Number : CellType::String);
        }
    QString error;
    QVERIFY2(spreadsheetml::writeFile(dir.filePath(QStringLiteral("ours.xml")), ours, &error), qPrintable(error));
    QVERIFY(QFile::copy(QStringLiteral(GRAVIK_DEFAULTS_DIR "/Baza.xml"), dir.filePath(QStringLiteral("shipped.xml"))));
    QVERIFY(QFile::copy(QStringLiteral(GRAVIK_FIXTURES_DIR "/libreoffice/Baza.xml"),
                        dir.filePath(QStringLiteral("fixture.xml"))));

    // A private profile: works as root and beside other runs.
    const QString profile = QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString();
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(soffice, {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                      QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                      QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"), QStringLiteral("--outdir"),
                      dir.filePath(QStringLiteral("csv")), dir.filePath(QStringLiteral("ours.xml")),
                      dir.filePath(QStringLiteral("shipped.xml")), dir.filePath(QStringLiteral("fixture.xml"))});
    QVERIFY(p.waitForStarted());
    QVERIFY2(p.waitForFinished(240000), "LibreOffice did not finish in four minutes");
    const QByteArray log = p.readAll();
    QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, log.constData());

    auto csvOf = [&](const char *name) {
        QFile f(dir.filePath(QStringLiteral("csv/%1.csv").arg(QString::fromLatin1(name))));
        if (!f.open(QIODevice::ReadOnly))
            qWarning("no %s.csv: %s", name, log.constData());
        return parseCsv(QString::fromUtf8(f.readAll()));
    };

    const auto oursCsv = csvOf("ours");
    QVERIFY(!oursCsv.empty());
    compareEveryCell(ours.sheets[0], oursCsv, QStringLiteral("our file"));
    QCOMPARE(csvCell(oursCsv, 5, 3), QStringLiteral("Ерлановна\n(вторая строка)"));
    QCOMPARE(csvCell(oursCsv, 3, 9), QStringLiteral("20417"));

    const auto shipped = spreadsheetml::readFile(dir.filePath(QStringLiteral("shipped.xml")));
    QVERIFY(shipped);
    compareEveryCell(*shipped->active(), csvOf("shipped"), QStringLiteral("the shipped Baza.xml"));

    const auto fixture = spreadsheetml::readFile(dir.filePath(QStringLiteral("fixture.xml")));
    QVERIFY(fixture);
    compareEveryCell(*fixture->active(), csvOf("fixture"), QStringLiteral("LibreOffice's own file"));
}

QTEST_GUILESS_MAIN(LibreOfficeTest)
#include "test_libreoffice.moc"
