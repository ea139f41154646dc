#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QtTest>

// The capture backend of the cups_server fixture: each job of queue Q lands
// in <capture root>/Q/job-<id>.pdf.

inline QString captureDir(const QString &queue)
{
    return qEnvironmentVariable("GRAVIK_CAPTURE_ROOT", "/var/spool/gravik-capture") + '/' + queue;
}

// Waits for job N's document to reach the queue's folder; "" when it does not.
inline QString waitForJob(const QString &queue, int job)
{
    const QString path = captureDir(queue) + QStringLiteral("/job-%1.pdf").arg(job);
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(path) && t.elapsed() < 30000)
        QTest::qWait(50);
    return QFile::exists(path) ? path : QString();
}
