// Start-up, state file, font list rebuild, one positioning step, the scanned blank.
#include "core/blankpicture.h"
#include "core/blankunderlay.h"
#include "core/statefile.h"
#include "core/textfile.h"
#include "editor/blankcontrols.h"
#include "editor/blankview.h"
#include "editor/certificatewindow.h"
#include "support/craftedpictures.h"
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

// Until the blank's picture work is done.
void settle(BlankUnderlay &blank)
{
    while (blank.busy())
        QTest::qWait(1);
}

// The main window shown with the page open, a blank under it or not.
struct ShownPage {
    explicit ShownPage(benchmark::State &state, bool blank)
    {
        if (blank) {
            crafted::a4Scan(300).save(folder.file("data/blank.png"), "png");
            textfile::writeLines(folder.file("data/blank.txt"), {"300", "0", "0", "1"});
        }
        startAndShow(w, state);
        w.closePanel();
        settle(w.blank().underlay());
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

// The blank shown again as at start-up: its screen copy from the cache, painted.
void blankShown(benchmark::State &state)
{
    ShownPage page(state, true);
    for (auto _ : state) {
        page.w.blank().load();
        settle(page.w.blank().underlay());
        page.w.repaint();
    }
}
BENCHMARK(blankShown)->Unit(benchmark::kMillisecond);

// What a new blank costs once, off the interface thread: the 300-dpi file
// decoded and cut and scaled to the page on screen.
void blankDecodedForScreen(benchmark::State &state)
{
    ShownPage page(state, true);
    for (auto _ : state) {
        QString error;
        const auto picture = blankpicture::read(BlankUnderlay::pictureFile(), &error);
        if (!picture)
            state.SkipWithError(qPrintable(error));
        else
            benchmark::DoNotOptimize(blankpicture::screenCopy(picture->image, 300, 96, 96));
    }
}
BENCHMARK(blankDecodedForScreen)->Unit(benchmark::kMillisecond);

// The operator's JPEG scan read and stored as data/blank.png (once per blank).
void blankChosenFromJpeg(benchmark::State &state)
{
    ProgramFolder folder;
    crafted::a4Scan(300).save(folder.file("scan.jpg"), "jpeg", 90);
    BlankUnderlay blank;
    QString error;
    QObject::connect(&blank, &BlankUnderlay::chooseFailed, [&](const QString &e) { error = e; });
    for (auto _ : state) {
        blank.choose(folder.file("scan.jpg"));
        settle(blank);
    }
    if (!error.isEmpty())
        state.SkipWithError(qPrintable(error));
}
BENCHMARK(blankChosenFromJpeg)->Unit(benchmark::kMillisecond);

} // namespace
