#pragma once

#include <QByteArray>
#include <QString>

namespace gravik {

// Replaces path with data in one step: a failed write leaves the old file whole.
// On failure returns false and puts a message naming the file into *error.
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error = nullptr);

} // namespace gravik
