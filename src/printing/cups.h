#pragma once

#include <QByteArray>
#include <QString>

struct cups_dest_s;

// What only the CUPS build has: printer names as queues and instances, and a
// finished PDF sent as a job.
namespace gravik::printers {

// A printer's name split into its CUPS queue and instance ("queue/instance").
struct QueueName {
    QByteArray queue, instance;
    static QueueName of(const QString &printer);
};

// A destination's name as the program shows it.
QString nameOf(const cups_dest_s &dest);

} // namespace gravik::printers

namespace gravik::printing {

// Sends a PDF file to a printer as one job, A4 and unscaled. The job's id, or
// 0 and *error when the print system refuses it.
int submitPdf(const QString &printer, const QString &pdfPath, const QString &title, QString *error);

} // namespace gravik::printing
