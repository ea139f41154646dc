#include "printing/cups.h"
#include "printing/defaultprinter.h"
#include "printing/pageoutput.h"
#include "printing/printjob.h"

#include <QDir>
#include <QFile>
#include <QPageSize>
#include <QTemporaryFile>

#include <cups/cups.h>

#include <algorithm>

// Printing through CUPS: the pages become one PDF, sent as one job.
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

constexpr const char *kA4 = "iso_a4_210x297mm";

// CUPS reports lengths in hundredths of a millimetre.
double hundredthsToPoints(int v) { return v / 100.0 / 25.4 * 72.0; }

struct Dest {
    cups_dest_t *dest = nullptr;
    cups_dinfo_t *info = nullptr;
    ~Dest()
    {
        if (info)
            cupsFreeDestInfo(info);
        if (dest)
            cupsFreeDests(1, dest);
    }
};

QList<QPageSize> mediaSupported(const Dest &d)
{
    QList<QPageSize> sizes;
    ipp_attribute_t *media = cupsFindDestSupported(CUPS_HTTP_DEFAULT, d.dest, d.info, CUPS_MEDIA);
    for (int i = 0, n = ippGetCount(media); i < n; ++i)
        if (const pwg_media_t *m = pwgMediaForPWG(ippGetString(media, i, nullptr)))
            sizes << QPageSize(QSizeF(m->width / 100.0, m->length / 100.0), QPageSize::Millimeter);
    return sizes;
}

int dotsPerInch(ipp_attribute_t *attr, int index)
{
    ipp_res_t units = IPP_RES_PER_INCH;
    int y = 0;
    const int x = ippGetResolution(attr, index, &y, &units);
    return units == IPP_RES_PER_CM ? qRound(x * 2.54) : x;
}

// The driver's default resolution, else its finest.
int resolutionOf(const Dest &d)
{
    if (ipp_attribute_t *def = cupsFindDestDefault(CUPS_HTTP_DEFAULT, d.dest, d.info, "printer-resolution"))
        return dotsPerInch(def, 0);
    int best = 0;
    ipp_attribute_t *offered = cupsFindDestSupported(CUPS_HTTP_DEFAULT, d.dest, d.info, "printer-resolution");
    for (int i = 0, n = ippGetCount(offered); i < n; ++i)
        best = std::max(best, dotsPerInch(offered, i));
    return best;
}

} // namespace

std::optional<page::PageSetup> printerSetup(const QString &printer, QString *error)
{
    const auto [queue, instance] = printers::QueueName::of(printer);
    Dest d;
    d.dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(),
                              instance.isEmpty() ? nullptr : instance.constData());
    if (!d.dest) {
        fail(error, QStringLiteral("принтер «%1» не найден в системе печати").arg(printer));
        return std::nullopt;
    }
    d.info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, d.dest);

    page::PageSetup setup;
    // The printer's own unprintable edges for A4: the fields are placed from
    // the corner of the area it reaches.
    cups_size_t a4 = {};
    if (d.info && cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, d.dest, d.info, kA4, CUPS_MEDIA_FLAGS_DEFAULT, &a4)) {
        setup.layout = page::a4Layout(QMarginsF(hundredthsToPoints(a4.left), hundredthsToPoints(a4.top),
                                                hundredthsToPoints(a4.right), hundredthsToPoints(a4.bottom)));
    } else if (d.info && !takesA4(mediaSupported(d))) {
        fail(error, QStringLiteral("принтер не печатает на листах A4"));
        return std::nullopt;
    }
    const int dpi = d.info ? resolutionOf(d) : 0;
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

Outcome sendPages(const QString &printer, const page::PageSetup &setup, int count, const PageWriter &write,
                  const QString &title, const Progress &progress, const Sender &send)
{
    Outcome out;
    out.printer = printer;
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/gravik-page-XXXXXX.pdf"));
    if (!file.open()) {
        out.error = QStringLiteral("не удалось создать временный файл %1: %2")
                        .arg(QDir::toNativeSeparators(file.fileTemplate()), file.errorString());
        return out;
    }
    file.close();
    if (!writePages(file.fileName(), setup, count, write, progress, &out.error, &out.cancelled))
        return out;
    out.pages = count;
    out.job = send ? send(printer, file.fileName(), title, &out.error)
                   : submitPdf(printer, file.fileName(), title, &out.error);
    out.ok = out.job != 0;
    return out;
}

} // namespace gravik::printing
