#include "printing/pageoutput.h"

#include "printing/defaultprinter.h"

#include <QDir>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>

#include <cups/cups.h>

#include <algorithm>

namespace gravik::printing {

namespace {

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

// A driver that reports a coarse resolution (or none) would round the text
// to a coarse grid; PDF coordinates are free, so such printers get a fine one.
constexpr int kMinResolution = 300;
constexpr int kFallbackResolution = 1200;

} // namespace

bool takesA4(const QList<QPageSize> &sizes)
{
    if (sizes.isEmpty())
        return true;
    const QPageSize a4(QPageSize::A4);
    for (const QPageSize &s : sizes)
        if (s.isEquivalentTo(a4))
            return true;
    return false;
}

std::optional<page::PageSetup> defaultPrinterSetup(QString *printer, QString *error)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (printer)
        *printer = info.printerName();
    if (info.isNull() || info.printerName().isEmpty()) {
        fail(error, QStringLiteral("в системе нет принтера по умолчанию"));
        return std::nullopt;
    }
    if (!takesA4(info.supportedPageSizes())) {
        fail(error, QStringLiteral("принтер не печатает на листах A4"));
        return std::nullopt;
    }
    // The printer's own unprintable edges for A4; Qt's default margins would
    // move every field.
    QPrinter device(info, QPrinter::HighResolution);
    device.setPageSize(QPageSize(QPageSize::A4));
    QPageLayout reported = device.pageLayout();
    reported.setUnits(QPageLayout::Point);
    page::PageSetup setup;
    setup.layout = page::a4Layout(reported.minimumMargins());
    // Qt keeps its own high resolution unless the driver offers it; take the
    // driver's finest then.
    int dpi = device.resolution();
    const QList<int> offered = info.supportedResolutions();
    if (!offered.isEmpty() && !offered.contains(dpi))
        dpi = *std::max_element(offered.begin(), offered.end());
    setup.resolution = dpi >= kMinResolution ? dpi : kFallbackResolution;
    return setup;
}

int submitPdf(const QString &printer, const QString &pdfPath, const QString &title, QString *error)
{
    const auto [queue, instance] = printers::QueueName::of(printer);

    // An instance's own options first; ours win over them.
    int count = 0;
    cups_option_t *options = nullptr;
    if (!instance.isEmpty()) {
        if (cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(), instance.constData())) {
            for (int i = 0; i < dest->num_options; ++i)
                count = cupsAddOption(dest->options[i].name, dest->options[i].value, count, &options);
            cupsFreeDests(1, dest);
        }
    }
    count = cupsAddOption("media", "A4", count, &options);
    // The page is drawn to size: the print system must not fit it to the sheet.
    count = cupsAddOption("print-scaling", "none", count, &options);
    count = cupsAddOption("fit-to-page", "false", count, &options);

    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.constData(),
                                   QFile::encodeName(pdfPath).constData(), title.toUtf8().constData(),
                                   count, options);
    cupsFreeOptions(count, options);
    if (job == 0)
        fail(error, QString::fromUtf8(cupsLastErrorString()));
    return job;
}

Outcome printOnDefaultPrinter(const std::vector<page::FieldContent> &fields, const QString &title)
{
    Outcome out;
    const auto setup = defaultPrinterSetup(&out.printer, &out.error);
    if (!setup)
        return out;
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/gravik-page-XXXXXX.pdf"));
    if (!file.open()) {
        out.error = QStringLiteral("не удалось создать временный файл %1: %2")
                        .arg(QDir::toNativeSeparators(file.fileTemplate()), file.errorString());
        return out;
    }
    file.close();
    if (!page::writePdf(file.fileName(), *setup, fields, &out.error))
        return out;
    out.job = submitPdf(out.printer, file.fileName(), title, &out.error);
    out.ok = out.job != 0;
    return out;
}

} // namespace gravik::printing
