#include "printing/printjob.h"

namespace gravik::printing {

page::PageSetup pdfSetup()
{
    QString name, ignored;
    return defaultPrinterSetup(&name, &ignored).value_or(page::PageSetup{});
}

bool writePages(const QString &path, const page::PageSetup &setup, int count, const PageWriter &write,
                const Progress &progress, QString *error, bool *cancelled)
{
    if (cancelled)
        *cancelled = false;
    page::PdfFile pdf;
    if (!pdf.open(path, setup, error))
        return false;
    for (int i = 0; i < count; ++i) {
        if (!write(pdf, i, error))
            return false;
        if (progress && !progress(i + 1, count)) {
            if (cancelled)
                *cancelled = true;
            return false; // the file is dropped with pdf
        }
    }
    return pdf.commit(error);
}

Outcome printPages(const QString &printer, int count, const PageWriter &write, const QString &title,
                   const Progress &progress, const Sender &send)
{
    Outcome out;
    out.printer = printer;
    auto setup = printer.isEmpty() ? defaultPrinterSetup(&out.printer, &out.error)
                                   : printerSetup(printer, &out.error);
    // Only what goes to a printer takes its offset; a saved PDF (pdfSetup) does not.
    if (setup)
        setup->offsetMm = printerOffset(out.printer);
    return setup ? sendPages(out.printer, *setup, count, write, title, progress, send) : out;
}

} // namespace gravik::printing
