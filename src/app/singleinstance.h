#pragma once

#include <QString>

namespace gravik {

// One running copy per program directory. The guard is an advisory lock on
// the directory itself, so it follows the folder on disk whatever path, bind
// mount or temporary folder a copy was started with; the system drops it when
// its holder ends, however it ends, and it leaves no file behind.
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
    int m_fd = -1;
    bool m_acquired = false;
};

} // namespace gravik
