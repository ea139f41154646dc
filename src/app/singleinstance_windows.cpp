#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <windows.h>

namespace gravik {

SingleInstance::SingleInstance(const QString &programDir)
{
    // Windows paths ignore case: one folder, one name, however it was typed.
    QString canonical = QFileInfo(programDir).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = programDir;
    const QByteArray key = QCryptographicHash::hash(canonical.toLower().toUtf8(), QCryptographicHash::Sha1).toHex();
    const std::wstring name = (QStringLiteral("Local\\gravik-") + QString::fromLatin1(key)).toStdWString();
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, name.c_str());
    if (!mutex) {
        m_acquired = true;
        return;
    }
    m_handle = reinterpret_cast<qintptr>(mutex);
    m_acquired = ::GetLastError() != ERROR_ALREADY_EXISTS;
}

SingleInstance::~SingleInstance()
{
    if (m_handle != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

} // namespace gravik
