// Long inputs, each in a fresh process, with wall time and peak memory:
//   --offsets      the offset window over a data/printers.txt of a million bad
//                  lines, from nothing to the window shown with its message;
//   --cell         the database window over a Baza.xml whose first pupil's
//                  surname is fifty million characters: created, shown, and
//                  its grid scrolled down and across and back;
//   --start        the main window started over that Baza.xml;
//   --print        gravik-print of that pupil to a PDF.
// Without an argument, all four in turn.
#include "core/printeroffsets.h"
#include "database/spreadsheetml.h"
#include "database/studentdatabase.h"
#include "database/workbookmodel.h"
#include "database/database.h"
#include "printdialog/calibration.h"
#include "students/spreadsheetview.h"
#include "students/studentdatabasewindow.h"
#include "support/dialoganswers.h"
#include "support/programfolder.h"
#include "support/startprogram.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScrollBar>
#include <QTest>

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>

using namespace gravik;

namespace {

constexpr int kBadLines = 1'000'000;
constexpr qsizetype kCellCharacters = 50'000'000;

double peakMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

int offsetsChild(int argc, char **argv, const QString &dir)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    programdir::setPath(dir);
    DialogAnswers answers;
    printeroffsets::setReporter([](const QString &m) { Dialogs::current().message(nullptr, Dialogs::Icon::Warning, "Gravik", m); });
    PrinterOffsetWindow w(nullptr);
    w.reload();
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return 1;
    std::printf("offset window, %d bad lines: shown after %.0f ms (from process start), peak %.0f MB, "
                "message of %lld characters\n",
                kBadLines, double(clock.nsecsElapsed()) / 1e6, peakMb(),
                answers.messages.isEmpty() ? 0LL : (long long)answers.messages.first().size());
    return 0;
}

int cellChild(int argc, char **argv, const QString &dir)
{
    QApplication app(argc, argv);
    programdir::setPath(dir);
    DialogAnswers answers;
    QElapsedTimer clock;
    clock.start();
    StudentDatabase db;
    StudentDatabaseWindow w(db);
    w.creationStep();
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return 1;
    const double shown = double(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    SpreadsheetView *grid = w.spreadsheet();
    for (QScrollBar *bar : {grid->verticalScrollBar(), grid->horizontalScrollBar()}) {
        for (int v = 0; v <= bar->maximum(); v += std::max(1, bar->pageStep())) {
            bar->setValue(v);
            grid->viewport()->repaint();
        }
        bar->setValue(0);
        grid->viewport()->repaint();
    }
    const double scrolled = double(clock.nsecsElapsed()) / 1e6;
    std::printf("database window, a cell of %lld characters: read and shown %.0f ms, scrolled through %.0f ms, "
                "peak %.0f MB\n",
                (long long)kCellCharacters, shown, scrolled, peakMb());
    return db.model()->cellText(3, 1).size() == kCellCharacters ? 0 : 1;
}

int startChild(int argc, char **argv, const QString &dir)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    programdir::setPath(dir);
    DialogAnswers answers;
    TestProgram program;
    if (!program.start())
        return 1;
    std::printf("main window over that database: shown after %.0f ms (from process start), peak %.0f MB\n",
                double(clock.nsecsElapsed()) / 1e6, peakMb());
    return 0;
}

// The child's own figures go to our output; false when it failed.
bool child(const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QCoreApplication::applicationFilePath(), args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void writeOffsets(ProgramFolder &folder)
{
    QByteArray data;
    data.reserve(kBadLines * 12);
    for (int i = 0; i < kBadLines; ++i)
        data += i % 2 ? "B\t1,5\t0.0\r\n" : "no offset\r\n";
    folder.write("data/printers.txt", data);
}

bool writeHugeCell(ProgramFolder &folder)
{
    Workbook book = studentdb::builtIn();
    Worksheet &s = book.sheets[0];
    s.setText(studentdb::FirstPupilRow, 1, QString(kCellCharacters, u'Ж'));
    s.setText(studentdb::FirstPupilRow, 2, QStringLiteral("Айгерим"));
    s.setText(studentdb::FirstPupilRow, 3, QStringLiteral("Маратовна"));
    return spreadsheetml::writeFile(folder.file(QStringLiteral("Baza.xml")), book);
}

// gravik-print of the first pupil to a PDF, its time and peak memory.
bool printHugeCell(ProgramFolder &folder)
{
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const QByteArray dir = folder.path().toLocal8Bit(), pdf = folder.file("out.pdf").toLocal8Bit();
        execl(GRAVIK_PRINT_EXE, "gravik-print", "--dir", dir.constData(), "--rows", "3-3", "--pdf", pdf.constData(),
              static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage u{};
    if (pid < 0 || wait4(pid, &status, 0, &u) != pid)
        return false;
    std::printf("gravik-print of that pupil to a PDF: %.0f ms, peak %.0f MB, exit %d\n",
                double(clock.nsecsElapsed()) / 1e6, u.ru_maxrss / 1024.0, WEXITSTATUS(status));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && QByteArray(argv[1]) == "--offsets-child")
        return offsetsChild(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && QByteArray(argv[1]) == "--cell-child")
        return cellChild(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && QByteArray(argv[1]) == "--start-child")
        return startChild(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    const QByteArray what = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    bool ok = true;
    if (what.isEmpty() || what == "--offsets") {
        ProgramFolder folder;
        writeOffsets(folder);
        // No print server: the window lists no printers, the file is read all the same.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CUPS_SERVER", "/nonexistent/cups.sock");
        ok = child({"--offsets-child", folder.path()}, env) && ok;
    }
    if (what.isEmpty() || what == "--cell" || what == "--start" || what == "--print") {
        ProgramFolder folder;
        if (!writeHugeCell(folder))
            return 1;
        if (what.isEmpty() || what == "--cell")
            ok = child({"--cell-child", folder.path()}) && ok;
        if (what.isEmpty() || what == "--start")
            ok = child({"--start-child", folder.path()}) && ok;
        if (what.isEmpty() || what == "--print")
            ok = printHugeCell(folder) && ok;
    }
    return ok ? 0 : 1;
}
