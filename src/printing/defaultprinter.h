#pragma once

#include <QString>
#include <QStringList>

// The system's printers (CUPS on Linux, the spooler on Windows), and which of
// them is the default. The page always goes to the default printer; the
// settings window changes it.
namespace gravik::printers {

// The names of the printers (queues, "queue/instance" for instances).
QStringList names();

// The default printer's name, or an empty text when there is none.
QString defaultPrinter();

// Makes name the user's default printer: as `lpoptions -d name` does on Linux
// (kept in the user's lpoptions file), SetDefaultPrinter on Windows. False and *error when the printer is
// unknown or the choice cannot be stored.
bool setDefaultPrinter(const QString &name, QString *error = nullptr);

} // namespace gravik::printers
