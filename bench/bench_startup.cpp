// Wall time from starting a process to its main window being shown, the way
// the program starts (offscreen platform, default data), beside a bare Qt
// window with 60 widgets as the yardstick. Runs itself as the measured child.
// Usage: bench_startup [Baza.xml to start with]
#include "app/singleinstance.h"
#include "support/programfolder.h"
#include "support/startprogram.h"
#include "support/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cstdio>

using namespace gravik;

namespace {

int shown()
{
    std::fputs("shown\n", stdout);
    std::fflush(stdout);
    return 0;
}

int programChild(int argc, char **argv, const QString &dir)
{
    QApplication app(argc, argv);
    programdir::setPath(dir);
    SingleInstance instance(dir);
    TestProgram program;
    return program.start() ? shown() : 1;
}

int bareChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget w;
    for (int i = 0; i < 60; ++i)
        (new QLabel(QStringLiteral("Label %1").arg(i), &w))->move(i * 3, i * 3);
    w.show();
    return QTest::qWaitForWindowExposed(&w) ? shown() : 2;
}

std::vector<double> timeRuns(const QStringList &args)
{
    std::vector<double> ms;
    for (int i = 0; i < 15; ++i) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(QCoreApplication::applicationFilePath(), args);
        p.waitForReadyRead(10000);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        p.waitForFinished(10000);
        if (p.exitCode() != 0)
            return {};
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

void report(const char *what, const std::vector<double> &ms)
{
    if (ms.empty()) {
        std::printf("%s: failed\n", what);
        return;
    }
    std::printf("%-30s median %6.1f ms, min %6.1f ms, max %6.1f ms (%zu runs)\n", what,
                ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 2 && QByteArray(argv[1]) == "--bare")
        return bareChild(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--child")
        return programChild(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    ProgramFolder folder;
    if (argc == 2) {
        QFile f(QString::fromLocal8Bit(argv[1]));
        if (!f.open(QIODevice::ReadOnly))
            return 1;
        folder.write("Baza.xml", f.readAll());
    }
    report("bare window, 60 widgets", timeRuns({"--bare"}));
    report("start-up to window shown", timeRuns({"--child", folder.path()}));
    report("bare window, 60 widgets", timeRuns({"--bare"}));
    return 0;
}
