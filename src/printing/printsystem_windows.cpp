#include "printing/defaultprinter.h"
#include "printing/pageoutput.h"
#include "printing/printjob.h"

#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

// Printing through the Windows spooler: Qt's printer at the printer's own
// resolution, A4, the printable area's corner as the origin, no scaling; a
// class is one document.
namespace gravik::printing {

namespace {

std::optional<QPrinterInfo> find(const QString &printer, QString *error)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull()) {
        if (error)
            *error = QStringLiteral("принтер «%1» не найден в системе печати").arg(printer);
        return std::nullopt;
    }
    return info;
}

} // namespace

std::optional<page::PageSetup> printerSetup(const QString &printer, QString *error)
{
    const auto info = find(printer, error);
    if (!info)
        return std::nullopt;
    if (!takesA4(info->supportedPageSizes())) {
        if (error)
            *error = QStringLiteral("принтер не печатает на листах A4");
        return std::nullopt;
    }
    QPrinter device(*info, QPrinter::HighResolution);
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(QPageLayout::Portrait);
    page::PageSetup setup;
    // The driver's unprintable edges for A4: the fields are placed from the
    // corner of the area it reaches.
    setup.layout = page::a4Layout(device.pageLayout().minimumMargins());
    setup.resolution = device.resolution();
    return setup;
}

Outcome sendPages(const QString &printer, const page::PageSetup &setup, int count, const PageWriter &write,
                  const QString &title, const Progress &progress, const Sender &)
{
    Outcome out;
    out.printer = printer;
    const auto info = find(printer, &out.error);
    if (!info)
        return out;
    QPrinter device(*info, QPrinter::HighResolution);
    device.setDocName(title);
    device.setFullPage(false);
    device.setResolution(setup.resolution);
    if (!device.setPageLayout(setup.layout)) {
        out.error = QStringLiteral("не удалось разметить лист A4");
        return out;
    }
    page::PdfFile doc;
    if (!doc.open(device, setup, &out.error))
        return out;
    for (int i = 0; i < count; ++i) {
        const bool written = write(doc, i, &out.error);
        if (written && progress && !progress(i + 1, count))
            out.cancelled = true;
        if (!written || out.cancelled) {
            device.abort(); // nothing of an unfinished document is printed
            return out;
        }
    }
    if (!doc.commit(&out.error))
        return out;
    out.pages = count;
    out.job = 1; // the spooler does not tell Qt the job's number
    out.ok = true;
    return out;
}

} // namespace gravik::printing
