#pragma once

#include "core/programdir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

// A program directory of its own for a test: the default data files copied
// into a temporary folder, and the program pointed at it; and a cache folder
// of its own (XDG_CACHE_HOME) beside it, for what the program keeps there.
class ProgramFolder
{
public:
    ProgramFolder()
    {
        const QString src = QStringLiteral(GRAVIK_DEFAULTS_DIR);
        QDirIterator it(src, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString to = m_dir.filePath(QDir(src).relativeFilePath(from));
            QDir().mkpath(QFileInfo(to).path());
            QFile::copy(from, to);
            QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
        gravik::programdir::setPath(m_dir.path());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
    }
    ~ProgramFolder()
    {
        gravik::programdir::setPath(QString());
        if (m_userCache.isNull())
            qunsetenv("XDG_CACHE_HOME");
        else
            qputenv("XDG_CACHE_HOME", m_userCache);
    }

    QString path() const { return m_dir.path(); }
    QString file(const QString &rel) const { return m_dir.filePath(rel); }
    QString cache() const { return m_cache.path(); }

    QByteArray read(const QString &rel) const
    {
        QFile f(file(rel));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QString &rel, const QByteArray &data) const
    {
        QFile f(file(rel));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(data);
    }
    // Replaces line n (1-based) of a CR LF file.
    void setLine(const QString &rel, int n, const QByteArray &value) const
    {
        QList<QByteArray> lines = read(rel).split('\n');
        lines[n - 1] = value + '\r';
        write(rel, lines.join('\n'));
    }

private:
    QByteArray m_userCache = qgetenv("XDG_CACHE_HOME");
    QTemporaryDir m_dir, m_cache;
};
