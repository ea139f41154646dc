#pragma once

#include "core/pagerenderer.h"
#include "printing/pageoutput.h"

#include <functional>
#include <vector>

// Pages as one PDF and one print job: a single certificate or a whole class,
// page by page, nothing of a page kept once it is drawn.
namespace gravik::printing {

// Told after each page is drawn; false stops the job (nothing is sent then).
using Progress = std::function<bool(int made, int total)>;
// Draws page `index` (0-based) into the PDF (pupils::classPages makes a class's).
using PageWriter = page::PageWriter;
// Sends a finished PDF; submitPdf unless a test puts its own in (CUPS only:
// on Windows the pages go to the printer as they are drawn).
using Sender = std::function<int(const QString &printer, const QString &pdfPath, const QString &title, QString *error)>;

// The setup a saved PDF is laid out with: the default printer's, so the file
// is what that printer would be sent; plain A4 when there is none.
page::PageSetup pdfSetup();

// Writes count pages to path, replacing it only when all are written. False
// and *error when it could not be written; false and *cancelled (no file) when
// progress stopped it.
bool writePages(const QString &path, const page::PageSetup &setup, int count, const PageWriter &write,
                const Progress &progress, QString *error, bool *cancelled = nullptr);

// The pages, laid out with setup, as one job to a printer: A4, unscaled.
Outcome sendPages(const QString &printer, const page::PageSetup &setup, int count, const PageWriter &write,
                  const QString &title, const Progress &progress = {}, const Sender &send = {});

// The same to a printer (empty: the default printer), laid out for it and
// moved by its offset (printerOffset).
Outcome printPages(const QString &printer, int count, const PageWriter &write, const QString &title,
                   const Progress &progress = {}, const Sender &send = {});

} // namespace gravik::printing
