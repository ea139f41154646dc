// Where the program keeps its data: its own folder, the user's data folder for
// an installed copy, or the folder named by --dir.
#include "core/programdir.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace gravik;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList filesUnder(const QString &dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(dir).relativeFilePath(it.next());
    out.sort();
    return out;
}

const QString home = QStringLiteral("/home/u/.local/share");

} // namespace

class ProgramDirTest : public QObject
{
    Q_OBJECT
private slots:
    void aFolderOfTheUsersOwnIsTheProgramDirectory()
    {
        QTemporaryDir exe;
        const auto c = programdir::choose(exe.path(), {}, home);
        QCOMPARE(c.dir, QFileInfo(exe.path()).canonicalFilePath());
        QVERIFY(c.defaults.isEmpty());
    }

    void anInstalledCopyUsesTheUsersDataFolder()
    {
        // Also reached through a link, as /bin is on a merged /usr.
        QTemporaryDir links;
        QVERIFY(QFile::link(QStringLiteral("/usr/bin"), links.filePath("bin")));
        for (const QString &exe : {QStringLiteral("/usr/bin"), links.filePath("bin")}) {
            const auto c = programdir::choose(exe, {}, home);
            QCOMPARE(c.dir, home + "/gravik");
            QCOMPARE(c.defaults, QStringLiteral("/usr/share/gravik"));
        }
        const auto local = programdir::choose(QStringLiteral("/usr/local/bin"), {}, home);
        QCOMPARE(local.defaults, QStringLiteral("/usr/local/share/gravik"));
    }

    void anUnwritableFolderCountsAsInstalledExceptForRoot()
    {
        QTemporaryDir exe;
        QFile::setPermissions(exe.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QCOMPARE(programdir::isSystemFolder(exe.path()), geteuid() != 0);
        QFile::setPermissions(exe.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(!programdir::isSystemFolder(exe.path()));
    }

    void anExplicitFolderWinsAndIsNotFilled()
    {
        const auto c = programdir::choose(QStringLiteral("/usr/bin"), QStringLiteral("rel/../data"), home);
        QCOMPARE(c.dir, QDir::current().absoluteFilePath("data"));
        QVERIFY(c.defaults.isEmpty());
    }

    void fillingCopiesOnlyWhatIsMissing()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("data")));
        QFile edited(dir.filePath("1.txt"));
        QVERIFY(edited.open(QIODevice::WriteOnly));
        edited.write("edited\r\n");
        edited.close();

        QString error;
        QVERIFY2(programdir::fillMissing(QStringLiteral(GRAVIK_DEFAULTS_DIR), dir.path(), &error), qPrintable(error));
        const QStringList files = filesUnder(QStringLiteral(GRAVIK_DEFAULTS_DIR));
        QCOMPARE(filesUnder(dir.path()), files);
        QCOMPARE(readAll(dir.filePath("1.txt")), QByteArray("edited\r\n"));
        for (const QString &f : files)
            if (f != "1.txt")
                QCOMPARE(readAll(dir.filePath(f)), readAll(QStringLiteral(GRAVIK_DEFAULTS_DIR "/") + f));
    }

    void aFolderThatCannotBeFilledIsReported()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("data")); // a file where the folder data/ must go
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QString error;
        QVERIFY(!programdir::fillMissing(QStringLiteral(GRAVIK_DEFAULTS_DIR), dir.path(), &error));
        QVERIFY2(error.contains(dir.filePath("data/")), qPrintable(error));
    }

    void setUpTakesTheExplicitFolderOrTheExecutables()
    {
        QString error;
        QVERIFY(!programdir::setUp(QStringLiteral("/nonexistent/gravik"), &error));
        QVERIFY2(error.contains("/nonexistent/gravik"), qPrintable(error));

        QTemporaryDir dir;
        QVERIFY(programdir::setUp(dir.path(), &error));
        QCOMPARE(programdir::path(), QFileInfo(dir.path()).canonicalFilePath());
        QCOMPARE(filesUnder(dir.path()), QStringList());

        QVERIFY(programdir::setUp({}, &error));
        QCOMPARE(programdir::path(), QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath());
        programdir::setPath({});
    }
};

QTEST_GUILESS_MAIN(ProgramDirTest)
#include "test_programdir.moc"
