// The register of blanks: a class recorded, the window opened on a full
// register, the register book written as a PDF.
#include "printing/printjob.h"
#include "register/blankregister.h"
#include "register/registerbook.h"
#include "registerwindow/registerwindow.h"

#include <QApplication>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

using namespace gravik;

namespace {

std::vector<blanks::PrintedPage> pupils(int count)
{
    std::vector<blanks::PrintedPage> out;
    for (int i = 1; i <= count; ++i)
        out.push_back({QStringLiteral("Кунанбаева%1").arg(i), "Айгерім", "Ерланқызы", QStringLiteral("12-%1").arg(i)});
    return out;
}

// A register file of `entries` issued entries in a folder of its own.
struct Filled {
    QTemporaryDir dir;
    blanks::Register reg{dir.filePath("register.sqlite")};
    explicit Filled(int entries)
    {
        reg.use();
        reg.record(pupils(entries), "gravik-test", 1, blanks::BlankNumber{"ЖОБ", "0000001"}, nullptr);
    }
};

// One transaction for a class of 30 on a register already holding 10,000.
void recordClassOf30(benchmark::State &state)
{
    Filled f(10000);
    const auto pages = pupils(30);
    for (auto _ : state)
        if (!f.reg.record(pages, "gravik-test", 2, std::nullopt, nullptr))
            state.SkipWithError("not recorded");
}
BENCHMARK(recordClassOf30)->Unit(benchmark::kMillisecond);

// From the creation of the window to its first paint, on 10,000 entries.
void openWindowOn10000(benchmark::State &state)
{
    Filled f(10000);
    for (auto _ : state) {
        blanks::Register reg(f.reg.path()); // opened by the window, as on a first use
        RegisterWindow w(reg);
        w.creationStep();
        w.show();
        QApplication::processEvents();
        state.PauseTiming();
        if (w.table()->model()->rowCount() != 10000)
            state.SkipWithError("rows missing");
        state.ResumeTiming();
    }
}
BENCHMARK(openWindowOn10000)->Unit(benchmark::kMillisecond);

// The register book of 1,000 entries (about 25 pages) to a PDF.
void bookOf1000ToPdf(benchmark::State &state)
{
    Filled f(1000);
    const auto entries = f.reg.entries();
    const page::PageSetup setup;
    const blanks::Table table = blanks::bookTable(entries, "Книга регистрации выданных аттестатов",
                                                  {"№ п/п", "Фамилия, имя, отчество", "Регистрационный номер",
                                                   "Серия и номер бланка", "Дата выдачи", "Подпись получателя"});
    for (auto _ : state) {
        QString error;
        if (!printing::writePages(f.dir.filePath("book.pdf"), setup, blanks::pageCount(table, setup),
                                  blanks::tablePages(table, setup), {}, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.counters["pages"] = blanks::pageCount(table, setup);
}
BENCHMARK(bookOf1000ToPdf)->Unit(benchmark::kMillisecond);

} // namespace
