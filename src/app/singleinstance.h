#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace gravik {

// One running copy per program directory. The lock lives outside the program
// directory (which holds only the program and its data) and is taken over when
// the copy that held it died.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &programDir);
    ~SingleInstance();
    bool acquired() const { return m_acquired; }
    static QString lockPath(const QString &programDir);

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_acquired = false;
};

} // namespace gravik
