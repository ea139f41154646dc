#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct cups_dest_s;

// The system's printers as CUPS knows them, and which of them is the default.
// The page always goes to the default printer; the settings window changes it.
namespace gravik::printers {

// A printer's name split into its CUPS queue and instance ("queue/instance").
struct QueueName {
    QByteArray queue, instance;
    static QueueName of(const QString &printer);
};

// A destination's name as the program shows it.
QString nameOf(const cups_dest_s &dest);

// The names of the printers (queues, "queue/instance" for instances).
QStringList names();

// The default printer's name, or an empty text when there is none.
QString defaultPrinter();

// Makes name the user's default printer, as `lpoptions -d name` does (it is
// kept in the user's lpoptions file). False and *error when the printer is
// unknown or the choice cannot be stored.
bool setDefaultPrinter(const QString &name, QString *error = nullptr);

} // namespace gravik::printers
