#include "printing/defaultprinter.h"

#include <QPrinterInfo>

#include <windows.h>
#include <winspool.h>

namespace gravik::printers {

QStringList names() { return QPrinterInfo::availablePrinterNames(); }

QString defaultPrinter() { return QPrinterInfo::defaultPrinterName(); }

bool setDefaultPrinter(const QString &name, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (name.isEmpty())
        return fail(QStringLiteral("Не указано имя принтера."));
    if (!names().contains(name))
        return fail(QStringLiteral("Принтер «%1» не найден в системе печати.").arg(name));
    const std::wstring wide = name.toStdWString();
    if (!::SetDefaultPrinterW(wide.c_str()))
        return fail(QStringLiteral("Не удалось сделать принтер «%1» принтером по умолчанию: код ошибки %2")
                        .arg(name).arg(::GetLastError()));
    return true;
}

} // namespace gravik::printers
