// Wall time from starting a process to its main window being shown, the way
// the program starts (offscreen platform, default data), beside a bare Qt
// window with 60 widgets as the yardstick, and when the pupil list is filled;
// then with a scanned blank under the page: when its picture shows (or its
// refusal is told) and the peak memory.
// Runs itself as the measured child.
// Usage: bench_startup [Baza.xml to start with]
#include "app/singleinstance.h"
#include "core/textfile.h"
#include "editor/blankcontrols.h"
#include "support/craftedpictures.h"
#include "support/dialoganswers.h"
#include "support/programfolder.h"
#include "support/startprogram.h"
#include "support/mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/resource.h>

using namespace gravik;

namespace {

int shown()
{
    std::fputs("shown\n", stdout);
    std::fflush(stdout);
    return 0;
}

void reportPeakMemory()
{
    rusage u = {};
    getrusage(RUSAGE_SELF, &u);
    std::printf("rss %ld\n", u.ru_maxrss);
    std::fflush(stdout);
}

// waitFor: "none", "pupils" (the pupil list is filled), "picture" (the blank
// shows) or "message" (a refusal is told).
int programChild(int argc, char **argv, const QString &dir, const QByteArray &waitFor)
{
    QApplication app(argc, argv);
    programdir::setPath(dir);
    SingleInstance instance(dir);
    DialogAnswers answers;
    TestProgram program;
    if (!program.show(false))
        return 1;
    shown();
    if (waitFor != "none") {
        const BlankView *view = program.main.blank().view();
        const auto done = [&] {
            if (waitFor == "pupils")
                return program.main.pupilList()->count() > 0;
            return waitFor == "picture" ? view->showsPicture() : !answers.messages.isEmpty();
        };
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < 120000)
            QTest::qWait(1);
        std::puts(waitFor.constData());
    }
    reportPeakMemory();
    return 0;
}

int bareChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget w;
    for (int i = 0; i < 60; ++i)
        (new QLabel(QStringLiteral("Label %1").arg(i), &w))->move(i * 3, i * 3);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return 2;
    shown();
    reportPeakMemory();
    return 0;
}

struct Run {
    double shownMs = 0, laterMs = 0; // the window shown; what came after it
    std::string later;
    long rssKb = 0;
};

std::vector<Run> timeRuns(const QStringList &args, int runs = 15)
{
    std::vector<Run> out;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(QCoreApplication::applicationFilePath(), args);
        Run r;
        while (p.waitForReadyRead(180000)) {
            while (p.canReadLine()) {
                const QByteArray line = p.readLine().trimmed();
                const double ms = double(t.nsecsElapsed()) / 1e6;
                if (line == "shown")
                    r.shownMs = ms;
                else if (line == "picture" || line == "message" || line == "pupils")
                    r.laterMs = ms, r.later = line.toStdString();
                else if (line.startsWith("rss "))
                    r.rssKb = line.mid(4).toLong();
            }
        }
        p.waitForFinished(10000);
        if (p.exitCode() != 0 || r.shownMs == 0)
            return {};
        out.push_back(r);
    }
    return out;
}

void report(const char *what, std::vector<Run> runs)
{
    if (runs.empty()) {
        std::printf("%s: failed\n", what);
        return;
    }
    auto line = [&](const char *label, double Run::*field) {
        std::sort(runs.begin(), runs.end(), [&](const Run &a, const Run &b) { return a.*field < b.*field; });
        std::printf("%-34s %-8s median %7.1f ms, min %7.1f ms, max %7.1f ms (%zu runs)\n", what, label,
                    runs[runs.size() / 2].*field, runs.front().*field, runs.back().*field, runs.size());
    };
    line("shown", &Run::shownMs);
    if (runs.front().laterMs > 0)
        line(runs.front().later.c_str(), &Run::laterMs);
    long peak = 0;
    for (const Run &r : runs)
        peak = std::max(peak, r.rssKb);
    std::printf("%-34s peak memory %.1f MB\n", what, double(peak) / 1024);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 2 && QByteArray(argv[1]) == "--bare")
        return bareChild(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--child")
        return programChild(argc, argv, QString::fromLocal8Bit(argv[2]), argv[3]);

    QApplication app(argc, argv); // the crafted scans are drawn
    ProgramFolder folder;
    QTemporaryDir cache; // the children's own cache folder, kept from run to run
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    if (argc == 2) {
        QFile f(QString::fromLocal8Bit(argv[1]));
        if (!f.open(QIODevice::ReadOnly))
            return 1;
        folder.write("Baza.xml", f.readAll());
    }
    report("bare window, 60 widgets", timeRuns({"--bare"}));
    report("start-up, no blank", timeRuns({"--child", folder.path(), argc == 2 ? "pupils" : "none"}));
    report("bare window, 60 widgets", timeRuns({"--bare"}));

    // The same folder with a blank under the page, case by case
    // (GRAVIK_BENCH_BLANK_RUNS runs each, 5 unless set).
    const int blankRuns = qEnvironmentVariableIntValue("GRAVIK_BENCH_BLANK_RUNS") > 0
                              ? qEnvironmentVariableIntValue("GRAVIK_BENCH_BLANK_RUNS")
                              : 5;
    const auto withBlank = [&](const char *what, const QByteArray &png, const char *dpi, const char *waitFor) {
        folder.write("data/blank.png", png);
        textfile::writeLines(folder.file("data/blank.txt"), {QString::fromLatin1(dpi), "0", "0", "1"});
        report(what, timeRuns({"--child", folder.path(), QString::fromLatin1(waitFor)}, blankRuns));
    };
    withBlank("start-up, 300-dpi A4 scan", crafted::encoded(crafted::a4Scan(300), "png"), "300", "picture");
    withBlank("start-up, A4 scan saying 10 dpi", crafted::encoded(crafted::a4Scan(10), "png"), "10", "picture");
    withBlank("start-up, PNG inflating to 4 GiB", crafted::inflatingPng(2480, 3508, qint64(4) << 30), "300",
              "message");
    return 0;
}
