#pragma once

#include "register/blankregister.h"

#include <QByteArray>

namespace gravik::blanks {

// The register as CSV for a spreadsheet: UTF-8 with a byte order mark, one
// header row (blank, date, surname, name, patronymic, registration, printer,
// job, state, reason), fields quoted where they need it, lines ended CRLF.
QByteArray csv(const std::vector<Entry> &entries);

// Writes it atomically; false and *error naming the file.
bool writeCsv(const QString &path, const std::vector<Entry> &entries, QString *error);

} // namespace gravik::blanks
