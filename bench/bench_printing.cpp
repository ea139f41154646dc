// The certificate page drawn into a PDF printer, as every print does before
// the job goes to the print system.
#include "core/certificatefields.h"
#include "printing/pageoutput.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace gravik;

namespace {

// A filled-in certificate: both halves, long school names, the letter fields.
std::vector<page::FieldContent> certificatePage()
{
    const QStringList texts = {
        "Иванов", "Иван", "Иванович", "2024", "средней общеобразовательной школы № 17",
        "имени Абая Кунанбаева", "города Алматы", "Алматинской области", "Петрова А.С.",
        "Сидорова Б.К.", "Ким Е.Н.", "25", "июня", "2024", "г. Алматы", "А 0123456",
        "Иванов", "Иван", "Иванович", "а", "2024", "а", "№ 17", "орта мектебі",
        "Абай атындағы", "Алматы қаласы", "Петрова А.С.", "Сидорова Б.К.", "Ким Е.Н.",
        "25", "маусым", "Алматы қ.", "А 0123456"};
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(10);
    font.setBold(true);
    std::vector<page::FieldContent> out;
    for (const CertificateField &f : certificateFields())
        out.push_back({f.number, texts.at(f.number - 1), double(f.x), double(f.y), font, Qt::black});
    return out;
}

// The first page of a run (registered first): the font files are opened and
// subset for the first time.
void firstPageOfARun(benchmark::State &state)
{
    QTemporaryDir dir;
    const auto fields = certificatePage();
    QString error;
    for (auto _ : state)
        if (!page::writePdf(dir.filePath(QStringLiteral("first.pdf")), {page::a4Layout(), 1200},
                                fields, &error))
            state.SkipWithError(qPrintable(error));
}
BENCHMARK(firstPageOfARun)->Iterations(1)->Unit(benchmark::kMillisecond);

void drawPageIntoPdf(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.pdf"));
    const auto fields = certificatePage();
    const page::PageSetup setup{page::a4Layout(), int(state.range(0))};
    QString error;
    for (auto _ : state) {
        if (!page::writePdf(path, setup, fields, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.SetLabel(QStringLiteral("%1 dpi").arg(state.range(0)).toStdString());
}
BENCHMARK(drawPageIntoPdf)->Arg(300)->Arg(600)->Arg(1200)->Unit(benchmark::kMillisecond);

} // namespace
