#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace gravik {

QString SingleInstance::lockPath(const QString &programDir)
{
    const QByteArray key = QFileInfo(programDir).canonicalFilePath().toUtf8();
    const QString hash = QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
    return QDir::temp().filePath(QStringLiteral("gravik-%1.lock").arg(hash));
}

SingleInstance::SingleInstance(const QString &programDir)
    : m_lock(std::make_unique<QLockFile>(lockPath(programDir)))
{
    m_lock->setStaleLockTime(0); // only a dead holder makes a lock stale
    m_acquired = m_lock->tryLock(0);
}

SingleInstance::~SingleInstance() = default;

} // namespace gravik
