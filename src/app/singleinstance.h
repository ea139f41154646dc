#pragma once

#include <QString>
#include <QtGlobal>

namespace gravik {

// One running copy per program directory; the system drops the guard when
// its holder ends, however it ends, and it leaves no file behind. On Linux it
// is an advisory lock on the directory itself, so it follows the folder on
// disk whatever path, bind mount or temporary folder a copy was started with;
// on Windows a named mutex of the folder's canonical path.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &programDir);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // False only when another copy holds the folder; a folder whose lock
    // cannot be asked about at all does not stop the program.
    bool acquired() const { return m_acquired; }

private:
    qintptr m_handle = -1; // the folder's descriptor, or the mutex's handle
    bool m_acquired = false;
};

} // namespace gravik
