#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The files around the student database that are not the workbook itself.
namespace gravik::studentdb {

// One side of the database window's stored outer size (line 1 of data/pw.txt
// or data/ph.txt): a decimal number of twips, rounded to whole twips ("15985.5"
// gives 15986). The built-in size when there is no line or no positive number
// in it; never more than available, the room the screen offers (ignored when
// not positive), so a window that comes back always fits.
int storedSizeTwips(const std::optional<QString> &line, int builtIn, int available);

// Before a file that could not be read is replaced (perhaps a real database
// cut short by a crash): keeps a copy beside it as <path>.unreadable, or, when
// that exists, <path>.unreadable-<date and time>. The path it was kept under;
// nullopt and *error on failure.
std::optional<QString> keepUnreadable(const QString &path, const QDateTime &now, QString *error = nullptr);
inline constexpr char UnreadableSuffix[] = ".unreadable";

} // namespace gravik::studentdb
