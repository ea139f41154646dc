// Start-up, state file, font list rebuild and one positioning step.
#include "core/statefile.h"
#include "editor/certificatewindow.h"
#include "support/programfolder.h"
#include "support/mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
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

void startupToShown(benchmark::State &state)
{
    ProgramFolder folder;
    for (auto _ : state) {
        TestMainWindow w;
        QString error;
        if (!w.startUp(&error))
            state.SkipWithError(qPrintable(error));
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            state.SkipWithError("not exposed");
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

void scrollStep(benchmark::State &state)
{
    ProgramFolder folder;
    TestMainWindow w;
    QString error;
    w.startUp(&error);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        state.SkipWithError("not exposed");
    w.closePanel();
    w.selectField(1);
    auto *bar = w.findChild<QScrollBar *>("HScroll1");
    int i = 0;
    for (auto _ : state) {
        bar->setValue(2000 + (i++ % 200) * 20);
        QCoreApplication::processEvents(); // repaint included
    }
}
BENCHMARK(scrollStep)->Unit(benchmark::kMicrosecond);

} // namespace
