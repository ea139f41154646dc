#include "printing/pageoutput.h"

#include "printing/printjob.h"
#include "printing/defaultprinter.h"
#include "core/printeroffsets.h"

#include <QPageSize>

namespace gravik::printing {

namespace {

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

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
    const QString name = printers::defaultPrinter();
    if (printer)
        *printer = name;
    if (name.isEmpty()) {
        fail(error, QStringLiteral("в системе нет принтера по умолчанию"));
        return std::nullopt;
    }
    return printerSetup(name, error);
}

QPointF printerOffset(const QString &printer)
{
    const QString queue = printer.section(QLatin1Char('/'), 0, 0);
    return printeroffsets::current().find(queue).value_or(PrinterOffset{}).millimetres();
}

Outcome printOnDefaultPrinter(const std::vector<page::FieldContent> &fields, const QString &title)
{
    return printPages(QString(), 1, [&](page::PdfFile &pdf, int, QString *error) { return pdf.addPage(fields, error); },
                      title);
}

Outcome printTestPageOnDefaultPrinter(const std::vector<page::FieldContent> &fields, const QString &title)
{
    return printPages(QString(), 1,
                      [&](page::PdfFile &pdf, int, QString *error) { return pdf.addTestPage(fields, error); }, title);
}

} // namespace gravik::printing
