#include "printing/defaultprinter.h"
#include "printing/cups.h"

#include <cups/cups.h>

namespace gravik::printers {

QueueName QueueName::of(const QString &printer)
{
    const qsizetype slash = printer.indexOf(QLatin1Char('/'));
    return {(slash < 0 ? printer : printer.left(slash)).toUtf8(),
            slash < 0 ? QByteArray() : printer.mid(slash + 1).toUtf8()};
}

QString nameOf(const cups_dest_t &dest)
{
    QString name = QString::fromUtf8(dest.name);
    if (dest.instance && *dest.instance)
        name += QLatin1Char('/') + QString::fromUtf8(dest.instance);
    return name;
}

QStringList names()
{
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << nameOf(dests[i]);
    cupsFreeDests(count, dests);
    return out;
}

QString defaultPrinter()
{
    // The user's choice (lpoptions, LPDEST, PRINTER) first, then the server's.
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest)
        return {};
    const QString name = nameOf(*dest);
    cupsFreeDests(1, dest);
    return name;
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
