// The student database with ten thousand pupils: reading Baza.xml, exporting
// it, filling and using the pupil list, creating the database window and
// scrolling its grid. Memory: bench_students --memory starts the program twice
// (empty database, ten thousand pupils) and compares what each holds once its
// window is shown. bench_students --write <file> writes the sample database.
// bench_students --hostile times the crafted files of the hostile-input tests
// and the memory and time of loading a span file and a 200,000-pupil database,
// each in a fresh process.
#include "widgets/windowregistry.h"
#include "app/windows.h"
#include "editor/certificatewindow.h"
#include "students/studentdatabasewindow.h"
#include "students/pupilchooser.h"
#include "database/pupils.h"
#include "database/spreadsheetml.h"
#include "students/spreadsheetview.h"
#include "database/database.h"
#include "database/workbookmodel.h"
#include "support/craftedbook.h"
#include "support/dialoganswers.h"
#include "support/programfolder.h"
#include "support/startprogram.h"
#include "database/studentdatabase.h"
#include "support/mainwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>

using namespace gravik;

namespace {

constexpr int kPupils = 10000;

// A database as a school would keep it: every pupil cell styled, Cyrillic
// names, the registration number a Number.
Workbook sample(int pupils)
{
    static const QStringList surnames = {"Жаксыбеков", "Воронцова", "Тлеубаева", "Ким", "Оспанов", "Иванова"};
    static const QStringList names = {"Нурсултан", "Елена", "Динара", "Сергей", "Айгерим", "Мария"};
    static const QStringList patronymics = {"Абаевич", "Павловна", "Ерлановна", "Сергеевич", "Маратовна"};
    Workbook b = studentdb::builtIn();
    Worksheet &s = b.sheets[0];
    const int style = b.styleIndex(QStringLiteral("Pupil"));
    for (int i = 0; i < pupils; ++i) {
        const int row = studentdb::FirstPupilRow + i;
        const QString n = QString::number(i + 1);
        const QString values[9] = {surnames[i % surnames.size()] + n,
                                   names[i % names.size()],
                                   patronymics[i % patronymics.size()],
                                   surnames[i % surnames.size()] + n,
                                   names[i % names.size()],
                                   patronymics[i % patronymics.size()] + QStringLiteral("қызы"),
                                   QStringLiteral("Оспанова Г.К."),
                                   QStringLiteral("Г.Қ. Оспанова"),
                                   QString::number(20000 + i)};
        for (int c = 0; c < 9; ++c) {
            s.setText(row, c + 1, values[c], c == 8 ? CellType::Number : CellType::String);
            s.cellAt(row, c + 1).style = style;
        }
    }
    return b;
}

struct Sample {
    ProgramFolder folder;
    QString path = folder.file(QStringLiteral("Baza.xml"));
    Sample() { spreadsheetml::writeFile(path, sample(kPupils)); }
};

Sample &sampleFolder()
{
    static Sample s;
    return s;
}

void fileSize(benchmark::State &state)
{
    state.counters["MB"] = double(QFileInfo(sampleFolder().path).size()) / 1e6;
}

void readBaza(benchmark::State &state)
{
    const QString path = sampleFolder().path;
    for (auto _ : state) {
        auto b = spreadsheetml::readFile(path);
        benchmark::DoNotOptimize(b);
    }
    fileSize(state);
}
BENCHMARK(readBaza)->Unit(benchmark::kMillisecond);

void loadIntoModel(benchmark::State &state)
{
    const QString path = sampleFolder().path;
    WorkbookModel model;
    for (auto _ : state)
        model.load(path);
    state.counters["rows"] = model.rowCount();
}
BENCHMARK(loadIntoModel)->Unit(benchmark::kMillisecond);

void writeInMemory(benchmark::State &state)
{
    const Workbook b = sample(kPupils);
    for (auto _ : state) {
        QByteArray xml = spreadsheetml::write(b);
        benchmark::DoNotOptimize(xml);
    }
}
BENCHMARK(writeInMemory)->Unit(benchmark::kMillisecond);

void exportToFile(benchmark::State &state)
{
    WorkbookModel model;
    model.load(sampleFolder().path);
    const QString out = sampleFolder().folder.file(QStringLiteral("export.xml"));
    for (auto _ : state)
        model.exportTo(out);
}
BENCHMARK(exportToFile)->Unit(benchmark::kMillisecond);

// The main window's pupil list from the loaded grid (start-up step 10, update button).
void fillPupilList(benchmark::State &state)
{
    Sample &s = sampleFolder();
    programdir::setPath(s.folder.path());
    DialogAnswers answers;
    StudentDatabase db;
    TestMainWindow main;
    ProgramSteps steps;
    PupilChooser *chooser = PupilChooser::attach(main.document(), main, db, steps);
    db.use();
    for (auto _ : state)
        chooser->fillList();
    state.counters["entries"] = main.pupilList()->count();
}
BENCHMARK(fillPupilList)->Unit(benchmark::kMillisecond);

// Choosing the last pupil walks all ten thousand rows.
void chooseLastPupil(benchmark::State &state)
{
    const Workbook b = sample(kPupils);
    const QStringList entries = pupils::listEntries(b.sheets[0]);
    for (auto _ : state) {
        auto rec = pupils::find(b.sheets[0], entries.back());
        benchmark::DoNotOptimize(rec);
    }
}
BENCHMARK(chooseLastPupil)->Unit(benchmark::kMillisecond);

// What the start-up pays for the database and its window.
void createDatabaseWindow(benchmark::State &state)
{
    programdir::setPath(sampleFolder().folder.path());
    for (auto _ : state) {
        StudentDatabase db;
        auto *w = new StudentDatabaseWindow(db);
        w->creationStep();
        state.PauseTiming();
        delete w;
        state.ResumeTiming();
    }
}
BENCHMARK(createDatabaseWindow)->Unit(benchmark::kMillisecond);

// The grid shown and scrolled a page at a time through all pupils: each step
// paints the visible cells only.
void scrollGrid(benchmark::State &state)
{
    WorkbookModel model;
    model.load(sampleFolder().path);
    SpreadsheetView view(&model);
    view.resize(1000, 600);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        state.SkipWithError("grid not shown");
    QScrollBar *bar = view.verticalScrollBar();
    int v = 0;
    for (auto _ : state) {
        v = v + bar->pageStep() > bar->maximum() ? 0 : v + bar->pageStep();
        bar->setValue(v);
        view.viewport()->repaint();
    }
}
BENCHMARK(scrollGrid)->Unit(benchmark::kMillisecond);

// A class list of 30 pupils and nine columns pasted into the shown grid with
// Ctrl+V, as Calc puts it on the clipboard, until the grid has painted it.
// Two lists in turn, so every paste changes all 270 cells.
void pasteClassList(benchmark::State &state)
{
    WorkbookModel model;
    SpreadsheetView view(&model);
    view.resize(1000, 600);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        state.SkipWithError("grid not shown");
    QString lists[2];
    for (int k = 0; k < 2; ++k) {
        const Workbook b = sample(30 + k);
        for (int r = 0; r < 30; ++r) {
            QStringList cells;
            for (int c = 1; c <= 9; ++c)
                cells << b.sheets[0].text(studentdb::FirstPupilRow + r + k, c);
            // One quoted cell a row, as Calc writes a cell with a line break.
            cells[6] = QStringLiteral("\"%1\r\nкласс\"").arg(cells[6]);
            lists[k] += cells.join(u'\t') + QStringLiteral("\r\n");
        }
    }
    view.setCurrentIndex(model.index(studentdb::FirstPupilRow - 1, 0));
    int turn = 0;
    for (auto _ : state) {
        QGuiApplication::clipboard()->setText(lists[turn]);
        turn = 1 - turn;
        QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
        view.setCurrentIndex(model.index(studentdb::FirstPupilRow - 1, 0));
        view.viewport()->repaint();
    }
    state.counters["cells"] = 30 * 9;
    if (model.cellText(studentdb::FirstPupilRow + 29, 9).isEmpty())
        state.SkipWithError("the paste did not reach the grid");
}
BENCHMARK(pasteClassList)->Unit(benchmark::kMillisecond);

// ---- memory, in a fresh process each

long statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLong();
    return -1;
}

int memoryChild(int argc, char **argv, const QString &dir)
{
    QApplication app(argc, argv);
    programdir::setPath(dir);
    TestProgram program;
    if (!program.start())
        return 1;
    std::printf("%ld %ld %d\n", statusKb("VmRSS:"), statusKb("VmHWM:"), program.main.pupilList()->count());
    return 0;
}

int memory(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ProgramFolder empty;
    Sample &full = sampleFolder();
    auto run = [](const QString &dir) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory-child"), dir});
        p.waitForFinished(60000);
        return p.readAllStandardOutput().trimmed().split(' ');
    };
    for (int i = 0; i < 3; ++i) {
        const QList<QByteArray> a = run(empty.path()), b = run(full.folder.path());
        if (a.size() < 3 || b.size() < 3)
            return 1;
        std::printf("empty database: RSS %6.1f MB, peak %6.1f MB | %s pupils: RSS %6.1f MB, peak %6.1f MB | "
                    "difference RSS %5.1f MB, peak %5.1f MB\n",
                    a[0].toDouble() / 1024, a[1].toDouble() / 1024, b[2].constData(), b[0].toDouble() / 1024,
                    b[1].toDouble() / 1024, (b[0].toDouble() - a[0].toDouble()) / 1024,
                    (b[1].toDouble() - a[1].toDouble()) / 1024);
    }
    return 0;
}

// ---- hostile and huge files, each loaded in a fresh process

QByteArray hostileCase(const QByteArray &name)
{
    using crafted::num;
    if (name == "descending-rows")
        return crafted::book(crafted::repeat(50000, [&](int i) { return "<Row ss:Index=\"" + num(50000 - i) + "\"><Cell><Data ss:Type=\"Number\">1</Data></Cell></Row>"; }));
    if (name == "styles")
        return crafted::book({}, crafted::repeat(50000, [&](int i) { return "<Style ss:ID=\"s" + num(i) + "\"><Font ss:Size=\"9\"/></Style>"; }));
    if (name == "parent-chain")
        return crafted::book({}, crafted::repeat(100000, [&](int i) { return "<Style ss:ID=\"s" + num(i) + "\" ss:Parent=\"s" + num(i + 1) + "\"/>"; }));
    if (name == "descending-cells")
        return crafted::book(crafted::repeat(20, [&](int) {
            return "<Row>" + crafted::repeat(16384, [&](int c) { return "<Cell ss:Index=\"" + num(16384 - c) + "\"/>"; }) + "</Row>";
        }));
    if (name == "span")
        return crafted::book("<Row ss:Index=\"1\" ss:Span=\"1048575\"><Cell ss:StyleID=\"s\"><Data ss:Type=\"String\">x</Data></Cell></Row>"
                           + QByteArray(4000, ' '), "<Style ss:ID=\"s\"/>");
    return {};
}

// Loads the file into the model and prints seconds, its size and the memory above what was there before.
int loadChild(const QString &path)
{
    const long before = statusKb("VmRSS:");
    QElapsedTimer t;
    t.start();
    const std::clock_t cpu = std::clock(); // the machine is shared: what this process itself spent
    WorkbookModel model;
    spreadsheetml::Error e;
    const bool ok = model.load(path, &e);
    const double seconds = t.elapsed() / 1000.0;
    std::printf("%s %.3f s (processor %.3f s), %.1f MB file, memory above the empty program: now %.1f MB, peak %.1f MB, %zu rows stored%s%s\n",
                qPrintable(QFileInfo(path).fileName()), seconds, double(std::clock() - cpu) / CLOCKS_PER_SEC,
                QFileInfo(path).size() / 1e6,
                (statusKb("VmRSS:") - before) / 1024.0, (statusKb("VmHWM:") - before) / 1024.0,
                model.activeSheet().rows.size(), ok ? "" : ", refused: ", ok ? "" : qPrintable(e.message));
    return 0;
}

int hostile(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ProgramFolder dir;
    QStringList files;
    for (const char *name : {"descending-rows", "styles", "parent-chain", "descending-cells", "span"}) {
        const QString path = dir.file(QString::fromLatin1(name) + QStringLiteral(".xml"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(hostileCase(name)) < 0)
            return 1;
        files << path;
    }
    files << dir.file(QStringLiteral("200000-pupils.xml"));
    if (!spreadsheetml::writeFile(files.last(), sample(200000)))
        return 1;
    for (const QString &path : files) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--load-child"), path});
        p.waitForFinished(600000);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && QByteArray(argv[1]) == "--memory-child")
        return memoryChild(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc == 2 && QByteArray(argv[1]) == "--memory")
        return memory(argc, argv);
    if (argc == 2 && QByteArray(argv[1]) == "--hostile")
        return hostile(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--load-child") {
        QCoreApplication app(argc, argv);
        return loadChild(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 4 && QByteArray(argv[1]) == "--write") { // --write FILE PUPILS
        QCoreApplication app(argc, argv);
        return spreadsheetml::writeFile(QString::fromLocal8Bit(argv[2]), sample(QByteArray(argv[3]).toInt())) ? 0 : 1;
    }
    if (argc == 3 && QByteArray(argv[1]) == "--write") {
        QCoreApplication app(argc, argv);
        return spreadsheetml::writeFile(QString::fromLocal8Bit(argv[2]), sample(kPupils)) ? 0 : 1;
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
