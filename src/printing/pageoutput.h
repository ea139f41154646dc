#pragma once

#include "core/pagelayout.h"

#include <QPageLayout>
#include <QString>

#include <optional>
#include <vector>

class QPageSize;
class QPrinter;

// The certificate page on paper: A4, drawn at the printer's resolution, one
// twip = 1/1440 inch from the corner of the printer's printable area.
namespace gravik::printing {

// How the page is laid out for one printer.
struct PageSetup {
    QPageLayout layout;    // A4 portrait, margins = the edges the printer cannot reach
    int resolution = 1200; // dots per inch the page is drawn at
};

// A4 portrait with the given unprintable edges (points) as its margins, so the
// painter's origin is the corner of the printable area.
QPageLayout a4Layout(const QMarginsF &unprintablePoints = {});

// Whether a printer offering these paper sizes takes A4. A printer that names
// none (a raw queue has no driver to ask) is not refused.
bool takesA4(const QList<QPageSize> &sizes);

// Draws the fields onto a printer whose layout is already set: one page.
bool drawPage(QPrinter &printer, const std::vector<page::FieldContent> &fields, QString *error);

// Writes the page as a one-page PDF file laid out by setup.
bool writePdf(const QString &path, const PageSetup &setup,
              const std::vector<page::FieldContent> &fields, QString *error);

// The default printer's setup for an A4 page. *printer gets its name (empty
// when there is none); nullopt and *error when there is no default printer or
// it does not take A4.
std::optional<PageSetup> defaultPrinterSetup(QString *printer, QString *error);

// Sends a PDF file to a printer as one job, A4 and unscaled. The job's id, or
// 0 and *error when the print system refuses it.
int submitPdf(const QString &printer, const QString &pdfPath, const QString &title, QString *error);

// The whole page output to the system's default printer.
struct Outcome {
    bool ok = false;
    QString printer; // the printer it went to, or was meant for
    QString error;   // why it failed, in Russian
    int job = 0;
};
Outcome printOnDefaultPrinter(const std::vector<page::FieldContent> &fields, const QString &title);

} // namespace gravik::printing
