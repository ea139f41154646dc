// Start-up, state file, font list rebuild, one positioning step, the scanned blank.
#include "core/blankunderlay.h"
#include "core/statefile.h"
#include "core/textfile.h"
#include "editor/blankcontrols.h"
#include "editor/blankview.h"
#include "editor/certificatewindow.h"
#include "support/programfolder.h"
#include "support/mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <benchmark/benchmark.h>

using namespace gravik;

namespace {

QStringList syntheticFamilies(int n)
{
    QStringList out;
    out.reserve(n);
    for (int i = 0; i < n; ++i)
        out << QStringLiteral("Family %1 %2").arg((i * 7919) % n).arg(i % 3 == 0 ? "Sans" : "Serif");
    for (int i = 0; i < n / 10; ++i)
        out << out.at(i); // repeats, as font sets report them
    return out;
}

void startAndShow(TestMainWindow &w, benchmark::State &state)
{
    QString error;
    if (!w.startUp(&error))
        state.SkipWithError(qPrintable(error));
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        state.SkipWithError("not exposed");
}

void startupToShown(benchmark::State &state)
{
    ProgramFolder folder;
    for (auto _ : state) {
        TestMainWindow w;
        startAndShow(w, state);
        state.PauseTiming();
        w.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(startupToShown)->Unit(benchmark::kMillisecond);

void stateFileLoadAndSave(benchmark::State &state)
{
    ProgramFolder folder;
    const QString path = folder.file("1.txt");
    for (auto _ : state) {
        auto s = StateFile::load(path, nullptr);
        s->save(path, nullptr); // atomic replace, synced to disk before the rename
    }
}
BENCHMARK(stateFileLoadAndSave)->Unit(benchmark::kMicrosecond);

void stateFileLoad(benchmark::State &state)
{
    ProgramFolder folder;
    const QString path = folder.file("1.txt");
    for (auto _ : state)
        benchmark::DoNotOptimize(StateFile::load(path, nullptr));
}
BENCHMARK(stateFileLoad)->Unit(benchmark::kMicrosecond);

void stateFileEncode(benchmark::State &state)
{
    ProgramFolder folder;
    const auto s = StateFile::load(folder.file("1.txt"), nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(s->toBytes());
}
BENCHMARK(stateFileEncode)->Unit(benchmark::kMicrosecond);

void fontListRebuild(benchmark::State &state)
{
    ProgramFolder folder;
    const QStringList families = syntheticFamilies(int(state.range(0)));
    TestMainWindow w([&] { return families; });
    QString error;
    w.startUp(&error);
    auto *combo = w.findChild<QComboBox *>("Combo9");
    for (auto _ : state)
        w.rebuildFontList();
    state.counters["items"] = combo->count();
}
BENCHMARK(fontListRebuild)->Arg(3000)->Unit(benchmark::kMillisecond);

// A 300-dpi scan of an A4 blank (2480 x 3508): paper with grain, a frame and rules.
QImage a4Scan()
{
    QImage img(2480, 3508, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 29); // 0..7
            line[x] = qRgb(246 + grain, 243 + grain, 232 + grain);
        }
    }
    QPainter p(&img);
    p.setPen(QPen(QColor(40, 70, 140), 6));
    p.drawRect(120, 120, 2240, 3268);
    for (int y = 600; y < 3300; y += 150)
        p.drawLine(240, y, 2240, y);
    p.end();
    img.setDotsPerMeterX(11811);
    img.setDotsPerMeterY(11811);
    return img;
}

// The main window shown with the page open, a blank under it or not.
struct ShownPage {
    explicit ShownPage(benchmark::State &state, bool blank)
    {
        if (blank) {
            a4Scan().save(folder.file("data/blank.png"), "png");
            textfile::writeLines(folder.file("data/blank.txt"), {"300", "0", "0", "1"});
        }
        startAndShow(w, state);
        w.closePanel();
        if (blank && !w.blank().view()->showsPicture())
            state.SkipWithError("no blank shown");
    }
    ProgramFolder folder;
    TestMainWindow w;
};

void scrollStep(benchmark::State &state)
{
    ShownPage page(state, state.range(0) != 0);
    page.w.selectField(1);
    auto *bar = page.w.findChild<QScrollBar *>("HScroll1");
    int i = 0;
    for (auto _ : state) {
        bar->setValue(2000 + (i++ % 200) * 20);
        QCoreApplication::processEvents(); // repaint included
    }
}
BENCHMARK(scrollStep)->ArgName("blank")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// data/blank.png read, scaled to the screen and painted.
void blankShown(benchmark::State &state)
{
    ShownPage page(state, true);
    for (auto _ : state) {
        page.w.blank().load();
        page.w.repaint();
    }
}
BENCHMARK(blankShown)->Unit(benchmark::kMillisecond);

// Its parts: the file read into a picture; the picture scaled and painted.
void blankRead(benchmark::State &state)
{
    ShownPage page(state, true);
    BlankUnderlay blank;
    for (auto _ : state)
        blank.load(nullptr);
}
BENCHMARK(blankRead)->Unit(benchmark::kMillisecond);

void blankScaledAndPainted(benchmark::State &state)
{
    ShownPage page(state, true);
    for (auto _ : state) {
        emit page.w.blank().underlay().pictureChanged();
        page.w.repaint();
    }
}
BENCHMARK(blankScaledAndPainted)->Unit(benchmark::kMillisecond);

// The operator's JPEG scan read and stored as data/blank.png (once per blank).
void blankChosenFromJpeg(benchmark::State &state)
{
    ProgramFolder folder;
    a4Scan().save(folder.file("scan.jpg"), "jpeg", 90);
    BlankUnderlay blank;
    for (auto _ : state)
        if (!blank.choose(folder.file("scan.jpg"), nullptr))
            state.SkipWithError("not chosen");
}
BENCHMARK(blankChosenFromJpeg)->Unit(benchmark::kMillisecond);

} // namespace
