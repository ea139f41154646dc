#include "printing/defaultprinter.h"

#include <QPrinterInfo>

#include <cups/cups.h>

namespace gravik::printers {

QueueName QueueName::of(const QString &printer)
{
    const qsizetype slash = printer.indexOf(QLatin1Char('/'));
    return {(slash < 0 ? printer : printer.left(slash)).toUtf8(),
            slash < 0 ? QByteArray() : printer.mid(slash + 1).toUtf8()};
}

QStringList names()
{
    return QPrinterInfo::availablePrinterNames();
}

QString defaultPrinter()
{
    return QPrinterInfo::defaultPrinter().printerName();
}

bool setDefaultPrinter(const QString &name, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const auto [queue, instance] = QueueName::of(name);
    if (queue.isEmpty())
        return fail(QStringLiteral("Не указано имя принтера."));

    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    cups_dest_t *chosen =
        cupsGetDest(queue.constData(), instance.isEmpty() ? nullptr : instance.constData(), count, dests);
    if (!chosen) {
        cupsFreeDests(count, dests);
        return fail(QStringLiteral("Принтер «%1» не найден в системе печати.").arg(name));
    }
    for (int i = 0; i < count; ++i)
        dests[i].is_default = 0;
    chosen->is_default = 1;
    const int rc = cupsSetDests2(CUPS_HTTP_DEFAULT, count, dests);
    cupsFreeDests(count, dests);
    if (rc != 0)
        return fail(QStringLiteral("Не удалось сделать принтер «%1» принтером по умолчанию: %2")
                        .arg(name, QString::fromUtf8(cupsLastErrorString())));
    return true;
}

} // namespace gravik::printers
