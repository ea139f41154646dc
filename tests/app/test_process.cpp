// Runs the real program: single instance, termination, bad state files.
#include "app/singleinstance.h"
#include "core/cp1251.h"
#include "support/craftedbook.h"
#include "support/programfolder.h"

#include <QDirIterator>
#include <QProcess>
#include <QScopeGuard>
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
    // Started as the given executable (by default this folder's own), with
    // the given temporary folder (by default the test's).
    std::unique_ptr<QProcess> start(const QString &as = {}, const QString &tmp = {}) const
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        if (!tmp.isEmpty())
            env.insert("TMPDIR", tmp);
        p->setProcessEnvironment(env);
        p->start(as.isEmpty() ? exe : as, {});
        p->waitForStarted();
        return p;
    }
    // Some copy holds the folder: we cannot.
    bool held() const { return !gravik::SingleInstance(path()).acquired(); }
    QStringList files() const
    {
        QStringList out;
        QDirIterator it(path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            out << it.next();
        out.sort();
        return out;
    }
    // Up once it holds the folder and has had time to show its window.
    bool waitUntilRunning(QProcess &p) const
    {
        for (int i = 0; i < 100 && !held(); ++i)
            QTest::qWait(50);
        QTest::qWait(700);
        return held() && p.state() == QProcess::Running;
    }
    QString exe;
};

bool endsWithin(QProcess &p, int ms) { return p.waitForFinished(ms); }

} // namespace

class ProcessTest : public QObject
{
    Q_OBJECT
private slots:
    // However the second copy reaches the folder, it ends and leaves it alone.
    void secondCopyEndsAtOnceAndTouchesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("same path") << "";
        QTest::newRow("another temporary folder") << "tmp";
        QTest::newRow("through a bind mount") << "mount";
    }
    void secondCopyEndsAtOnceAndTouchesNothing()
    {
        QFETCH(QString, how);
        Installed dir;
        QTemporaryDir elsewhere;
        QString exe, tmp;
        if (how == "tmp") {
            tmp = elsewhere.path();
        } else if (how == "mount") {
            if (QProcess::execute("mount", {"--bind", dir.path(), elsewhere.path()}) != 0)
                QSKIP("bind mounts not permitted here");
            exe = elsewhere.filePath("gravik");
        }
        const auto unmount = qScopeGuard([&] {
            if (!exe.isEmpty())
                QProcess::execute("umount", {elsewhere.path()});
        });
        auto first = dir.start();
        QVERIFY(dir.waitUntilRunning(*first));
        const QStringList files = dir.files();
        const QByteArray state = dir.read("1.txt");
        const QDateTime stamp = QFileInfo(dir.file("1.txt")).lastModified();

        auto second = dir.start(exe, tmp);
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

    void copiesOnTwoFoldersRunSideBySide()
    {
        Installed one, two;
        auto first = one.start();
        auto second = two.start();
        QVERIFY(one.waitUntilRunning(*first));
        QVERIFY(two.waitUntilRunning(*second));
        QVERIFY(!endsWithin(*second, 300));
        for (QProcess *p : {first.get(), second.get()}) {
            p->terminate();
            QVERIFY(endsWithin(*p, 5000));
        }
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

    // Ended while ten thousand pupils may still be being read: the end waits
    // for the database, and the state file keeps the first pupil.
    void terminationWhileTheDatabaseIsRead()
    {
        using namespace gravik::crafted;
        const QByteArray row = "<Row><Cell><Data ss:Type=\"String\">Заголовок</Data></Cell></Row>";
        const QByteArray baza = book(row + row + repeat(10000, [](int i) {
            return "<Row>" + repeat(9, [i](int c) {
                       return "<Cell><Data ss:Type=\"String\">" + (c == 0 ? "Фамилия" + num(i) : "Имя") + "</Data></Cell>";
                   }) + "</Row>";
        }));
        for (int delayMs : {0, 50, 150}) {
            Installed dir;
            dir.write("Baza.xml", baza);
            auto p = dir.start();
            for (int i = 0; i < 400 && !dir.held(); ++i)
                QTest::qWait(5);
            QTest::qWait(delayMs);
            ::kill(pid_t(p->processId()), SIGTERM);
            QVERIFY(endsWithin(*p, 20000));
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0);
            const QByteArray after = dir.read("1.txt");
            QCOMPARE(after.left(after.indexOf('\r')), gravik::cp1251::encode(u"Фамилия0"));
        }
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
        QVERIFY(!dir.held());

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
