#pragma once

#include "core/pagerenderer.h"

#include <QPageLayout>
#include <QPointF>
#include <QString>

#include <optional>
#include <vector>

class QPageSize;

// The certificate page on paper: A4, drawn at the printer's resolution, one
// twip = 1/1440 inch from the corner of the printer's printable area. On Linux
// the printers are asked through CUPS itself, so no widget library is needed.
namespace gravik::printing {

// Whether a printer offering these paper sizes takes A4. A printer that names
// none (a raw queue has no driver to ask) is not refused.
bool takesA4(const QList<QPageSize> &sizes);

// A printer's setup for an A4 page: its driver's unprintable edges and
// resolution. nullopt and *error when the printer is unknown or does not take A4.
std::optional<page::PageSetup> printerSetup(const QString &printer, QString *error);

// The default printer's setup. *printer gets its name (empty when there is
// none); nullopt and *error when there is no default printer or it does not take A4.
std::optional<page::PageSetup> defaultPrinterSetup(QString *printer, QString *error);

// The printer's own offset (data/printers.txt, by its queue; an instance
// "queue/instance" takes its queue's), in millimetres; none is (0, 0).
QPointF printerOffset(const QString &printer);

// What became of one job.
struct Outcome {
    bool ok = false;
    QString printer; // the printer it went to, or was meant for
    QString error;   // why it failed, in Russian
    int job = 0;
    int pages = 0;
    bool cancelled = false; // stopped by the operator before anything was sent
};
Outcome printOnDefaultPrinter(const std::vector<page::FieldContent> &fields, const QString &title);
// The test page of these fields (page::drawTestPage), the same way.
Outcome printTestPageOnDefaultPrinter(const std::vector<page::FieldContent> &fields, const QString &title);

} // namespace gravik::printing
