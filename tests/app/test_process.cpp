// Runs the real program: single instance, termination, bad state files.
#include "app/singleinstance.h"
#include "support/programfolder.h"

#include <QDirIterator>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <unistd.h>
#include <memory>

namespace {

// The program and its data in a folder of their own.
class Installed : public ProgramFolder
{
public:
    Installed()
    {
        exe = file("gravik");
        QFile::copy(QStringLiteral(GRAVIK_EXE), exe);
        QFile::setPermissions(exe, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    // A killed copy leaves its lock behind; the folder is gone after this, so is the lock.
    ~Installed() { QFile::remove(gravik::SingleInstance::lockPath(path())); }
    std::unique_ptr<QProcess> start() const
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p->setProcessEnvironment(env);
        p->start(exe, {});
        p->waitForStarted();
        return p;
    }
    QStringList files() const
    {
        QStringList out;
        QDirIterator it(path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            out << it.next();
        out.sort();
        return out;
    }
    // Up once it holds its lock and has had time to show its window.
    bool waitUntilRunning(QProcess &p) const
    {
        const QString lock = gravik::SingleInstance::lockPath(path());
        for (int i = 0; i < 100 && !QFile::exists(lock); ++i)
            QTest::qWait(50);
        QTest::qWait(700);
        return QFile::exists(lock) && p.state() == QProcess::Running;
    }
    QString exe;
};

bool endsWithin(QProcess &p, int ms) { return p.waitForFinished(ms); }

} // namespace

class ProcessTest : public QObject
{
    Q_OBJECT
private slots:
    void secondCopyEndsAtOnceAndTouchesNothing()
    {
        Installed dir;
        auto first = dir.start();
        QVERIFY(dir.waitUntilRunning(*first));
        const QStringList files = dir.files();
        const QByteArray state = dir.read("1.txt");
        const QDateTime stamp = QFileInfo(dir.file("1.txt")).lastModified();

        auto second = dir.start();
        QVERIFY(endsWithin(*second, 5000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(dir.files(), files);
        QCOMPARE(dir.read("1.txt"), state);
        QCOMPARE(QFileInfo(dir.file("1.txt")).lastModified(), stamp);

        first->terminate();
        QVERIFY(endsWithin(*first, 5000));
    }

    void terminationSavesTheState()
    {
        Installed dir;
        // Written back with a line end after the last line: proof that it was saved.
        QByteArray state = dir.read("1.txt");
        state.chop(2);
        dir.write("1.txt", state + "\r\nextra line\r\n");
        auto p = dir.start();
        QVERIFY(dir.waitUntilRunning(*p));
        ::kill(pid_t(p->processId()), SIGTERM);
        QVERIFY(endsWithin(*p, 5000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 0);
        QCOMPARE(dir.read("1.txt"), state + "\r\n");
    }

    void anUnwritableFolderAtShutDownIsReportedAndKeepsTheOldFile()
    {
        if (geteuid() != 0)
            QSKIP("needs root to mount a read-only file system");
        Installed dir;
        const QString data = dir.file("ro");
        QVERIFY(QDir().mkpath(data));
        QProcess mount;
        mount.start("mount", {"-t", "tmpfs", "-o", "size=64m", "tmpfs", data});
        if (!mount.waitForFinished() || mount.exitCode() != 0)
            QSKIP("mount not permitted here");
        // The program directory on a file system of its own, then made read-only.
        for (const QString &f : dir.files()) {
            const QString to = data + "/" + QDir(dir.path()).relativeFilePath(f);
            if (f.startsWith(data))
                continue;
            QDir().mkpath(QFileInfo(to).path());
            QFile::copy(f, to);
        }
        const QByteArray before = dir.read("ro/1.txt");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(data + "/gravik", {});
        QTest::qWait(1500);
        QProcess::execute("mount", {"-o", "remount,ro", data});
        ::kill(pid_t(p.processId()), SIGTERM);
        QByteArray err;
        for (int i = 0; i < 50 && !err.contains("1.txt"); ++i) {
            p.waitForReadyRead(100);
            err += p.readAllStandardError();
        }
        p.kill();
        p.waitForFinished();
        QFile::remove(gravik::SingleInstance::lockPath(data));
        const QByteArray after = dir.read("ro/1.txt");
        QProcess::execute("umount", {data});
        QVERIFY2(err.contains("1.txt"), err.constData());
        QCOMPARE(after, before);
    }

    void aCrashedCopyDoesNotBlockTheNext()
    {
        Installed dir;
        auto crashed = dir.start();
        QVERIFY(dir.waitUntilRunning(*crashed));
        crashed->kill();
        QVERIFY(endsWithin(*crashed, 5000));
        QVERIFY(QFile::exists(gravik::SingleInstance::lockPath(dir.path()))); // left behind

        auto next = dir.start();
        QVERIFY(dir.waitUntilRunning(*next));
        QVERIFY(!endsWithin(*next, 500));
        next->terminate();
        QVERIFY(endsWithin(*next, 5000));
    }

    void badStateFileStopsBeforeTheWindowAndWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("mentions");
        QTest::newRow("missing") << QByteArray() << "1.txt";
        QTest::newRow("short") << QByteArray("a\r\nb\r\n") << "1.txt";
        QTest::newRow("size") << QByteArray("size") << "\"huge\"";
    }
    void badStateFileStopsBeforeTheWindowAndWritesNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, mentions);
        Installed dir;
        if (content.isEmpty())
            QFile::remove(dir.file("1.txt"));
        else if (content == "size")
            dir.setLine("1.txt", 32, "huge");
        else
            dir.write("1.txt", content);
        const QStringList files = dir.files();
        const QByteArray before = dir.read("1.txt");

        auto p = dir.start();
        QByteArray err;
        for (int i = 0; i < 100 && !err.contains(mentions.toUtf8()); ++i) {
            p->waitForReadyRead(100);
            err += p->readAllStandardError();
        }
        QVERIFY2(err.contains(mentions.toUtf8()), err.constData());
        // The message box waits for the operator; ending the program then exits non-zero.
        ::kill(pid_t(p->processId()), SIGTERM);
        QVERIFY(endsWithin(*p, 5000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 1);
        QCOMPARE(dir.files(), files);
        QCOMPARE(dir.read("1.txt"), before);
    }
};

QTEST_GUILESS_MAIN(ProcessTest)
#include "test_process.moc"
