#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

namespace gravik {

// Replaces path with data in one step: a failed write leaves the old file whole.
// On failure returns false and puts a message naming the file into *error.
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error = nullptr);

// Why a file operation failed, for the operator: the common causes (read-only,
// no room on the disk, no permission, not found) in Russian, the system's own
// text for the rare rest. err is errno as the failing call left it.
QString fileFailureReason(int err, const QString &systemText);

// "Не удалось открыть файл <path>: <reason>" for a file that did not open for
// reading; call it straight after the failure, while errno still tells why.
QString fileOpenError(const QFileDevice &file, const QString &path);

} // namespace gravik
