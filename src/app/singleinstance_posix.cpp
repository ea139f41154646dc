#include "app/singleinstance.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace gravik {

SingleInstance::SingleInstance(const QString &programDir)
{
    // Close-on-exec: a program started from the settings window must not
    // inherit the lock and keep the folder after we end.
    m_handle = ::open(QFile::encodeName(programDir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_handle < 0) {
        m_acquired = true;
        return;
    }
    int rc;
    do
        rc = ::flock(int(m_handle), LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    m_acquired = rc == 0 || errno != EWOULDBLOCK;
}

SingleInstance::~SingleInstance()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
}

} // namespace gravik
