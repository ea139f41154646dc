// A class to one PDF: 30 pupils, a thousand, the size a page adds, and
// gravik-print as a whole process.
#include "printing/classrig.h"

#include "core/statefile.h"
#include "printing/printjob.h"
#include "support/programfolder.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <unistd.h>

using namespace gravik;

namespace {

Certificate base()
{
    StateFile::Error error;
    Certificate c = Certificate::fromState(*StateFile::load(QStringLiteral(GRAVIK_DEFAULTS_DIR "/1.txt"), &error));
    const std::pair<Value, const char *> values[] = {
        {Value::Year, "2024"},
        {Value::Director, "Петрова А.С."},
        {Value::DeputyDirector, "Сидорова Б.К."},
        {Value::IssueDate1, "средней общеобразовательной школы № 17"},
        {Value::IssueDate2, "имени Абая Кунанбаева"},
        {Value::IssueDate3, "города Алматы"},
        {Value::DirectorKz, "орта мектебі"},
        {Value::DeputyDirectorKz, "Абай атындагы"}};
    for (const auto &[v, text] : values)
        c.setValue(v, QString::fromUtf8(text));
    return c;
}

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().split(' ').value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

void classToPdf(benchmark::State &state)
{
    QTemporaryDir dir;
    const Certificate c = base();
    const int count = int(state.range(0));
    const auto pupils = classOf(count);
    QString error;
    long atTenth = 0, atEnd = 0;
    for (auto _ : state) {
        const auto progress = [&](int made, int total) {
            if (made == total / 10)
                atTenth = residentKb();
            if (made == total)
                atEnd = residentKb();
            return true;
        };
        if (!printing::writePages(dir.filePath("class.pdf"), page::PageSetup{}, count, pupils::classPages(c, pupils),
                                  progress, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.counters["pdf_kb"] = double(QFileInfo(dir.filePath("class.pdf")).size()) / 1024;
    // Memory flat: what the resident set grew from the tenth page to the last.
    state.counters["rss_growth_kb"] = double(atEnd - atTenth);
}
BENCHMARK(classToPdf)->Arg(30)->Arg(1000)->Unit(benchmark::kMillisecond);

void bytesPerAddedPage(benchmark::State &state)
{
    QTemporaryDir dir;
    const Certificate c = base();
    const auto pupils = classOf(101);
    QString error;
    auto size = [&](int n) {
        printing::writePages(dir.filePath("p.pdf"), page::PageSetup{}, n, pupils::classPages(c, pupils), {}, &error);
        return QFileInfo(dir.filePath("p.pdf")).size();
    };
    qint64 one = 0, many = 0;
    for (auto _ : state) {
        one = size(1);
        many = size(101);
    }
    state.counters["bytes_per_page"] = double(many - one) / 100;
    state.counters["first_page_bytes"] = double(one);
}
BENCHMARK(bytesPerAddedPage)->Iterations(3)->Unit(benchmark::kMillisecond);

void gravikPrintAllToPdf(benchmark::State &state)
{
    ProgramFolder folder;
    folder.write("Baza.xml", databaseOf(classOf(30)));
    QTemporaryDir out;
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral(GRAVIK_PRINT_EXE),
                {"--dir", folder.path(), "--all", "--pdf", out.filePath("class.pdf")});
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            state.SkipWithError(p.readAllStandardError().constData());
    }
}
BENCHMARK(gravikPrintAllToPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
