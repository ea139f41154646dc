#include "core/coordinatetable.h"
#include "core/cp1251.h"
#include "core/statefile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace gravik;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

QByteArray defaultFile() { return readAll(QStringLiteral(GRAVIK_DEFAULTS_DIR "/1.txt")); }

QList<QByteArray> defaultLines()
{
    QList<QByteArray> lines = defaultFile().split('\n');
    lines.removeLast(); // after the last CR LF
    for (QByteArray &l : lines)
        l.chop(1); // CR
    return lines;
}

QByteArray join(const QList<QByteArray> &lines, bool lastEnded = true)
{
    QByteArray out = lines.join("\r\n");
    if (lastEnded)
        out += "\r\n";
    return out;
}

bool run(const QString &cmd, const QStringList &args)
{
    QProcess p;
    p.start(cmd, args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

class StateFileTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("1.txt"); }

private slots:
    void defaultFileLoadsAndSavesByteForByte()
    {
        writeAll(path(), defaultFile());
        StateFile::Error e;
        const auto s = StateFile::load(path(), &e);
        QVERIFY2(s, qPrintable(e.message));
        QCOMPARE(s->line(30), QString("Times New Roman"));
        QCOMPARE(s->line(31), QString::fromUtf8("обычный"));
        QCOMPARE(s->line(32), QString("10"));
        QCOMPARE(s->values().mid(32), CoordinateTable::defaults());
        QVERIFY(s->save(path(), nullptr));
        QCOMPARE(readAll(path()), defaultFile());
    }

    void valuesKeepSpacesAndKazakhBytes()
    {
        QList<QByteArray> lines = defaultLines();
        lines[0] = "  \xc8\xe2\xe0\xed\xee\xe2 "; // "  Иванов "
        lines[12] = "\x8d\xe0\xe7\xe0\x9d";     // Kazakh in its stored form
        writeAll(path(), join(lines));
        const auto s = StateFile::load(path(), nullptr);
        QVERIFY(s);
        QCOMPARE(s->line(1), QString::fromUtf8("  Иванов "));
        QVERIFY(s->save(path(), nullptr));
        QCOMPARE(readAll(path()), join(lines));
    }

    void lastLineWithoutLineEndIsRead()
    {
        QList<QByteArray> lines = defaultLines();
        writeAll(path(), join(lines, false));
        const auto s = StateFile::load(path(), nullptr);
        QVERIFY(s);
        QCOMPARE(s->line(98), QString("9360"));
        QVERIFY(s->save(path(), nullptr));
        QCOMPARE(readAll(path()), join(lines)); // written back with its line end
    }

    void extraLinesAreIgnoredAndDropped()
    {
        QList<QByteArray> lines = defaultLines();
        lines << "extra 1" << "extra 2";
        writeAll(path(), join(lines));
        const auto s = StateFile::load(path(), nullptr);
        QVERIFY(s);
        QCOMPARE(s->values().size(), 98);
        QVERIFY(s->save(path(), nullptr));
        QCOMPARE(readAll(path()), defaultFile());
    }

    void lineBreakInsideAValueBecomesASpace()
    {
        StateFile s;
        s.setLine(3, QStringLiteral("Ерлановна\n(вторая строка)"));
        s.setLine(7, QStringLiteral("a\r\nb\rc"));
        for (int k = 1; k <= 66; ++k)
            s.setLine(32 + k, CoordinateTable::defaults().at(k - 1));
        s.setLine(32, "10");
        QVERIFY(s.save(path(), nullptr));
        const auto back = StateFile::load(path(), nullptr);
        QVERIFY(back);
        QCOMPARE(back->line(3), QString::fromUtf8("Ерлановна (вторая строка)"));
        QCOMPARE(back->line(7), QString("a b c"));
        QCOMPARE(back->line(33), QString("3600"));
        QCOMPARE(readAll(path()).count("\r\n"), 98);
    }

    void badFilesAreErrorsNamingFileLineAndValue_data()
    {
        QTest::addColumn<int>("keep");       // lines kept (0: no file at all)
        QTest::addColumn<int>("badLine");    // line replaced by "abc" (0: none)
        QTest::addColumn<int>("reportedLine");
        QTest::newRow("missing") << 0 << 0 << 0;
        QTest::newRow("empty") << -1 << 0 << 1;
        QTest::newRow("97 lines") << 97 << 0 << 98;
        QTest::newRow("size not a number") << 98 << 32 << 32;
        QTest::newRow("coordinate not a number") << 98 << 70 << 70;
        QTest::newRow("last coordinate") << 98 << 98 << 98;
    }
    void badFilesAreErrorsNamingFileLineAndValue()
    {
        QFETCH(int, keep);
        QFETCH(int, badLine);
        QFETCH(int, reportedLine);
        QFile::remove(path());
        if (keep != 0) {
            QList<QByteArray> lines = defaultLines().mid(0, std::max(keep, 0));
            if (badLine)
                lines[badLine - 1] = "abc";
            writeAll(path(), keep < 0 ? QByteArray() : join(lines));
        }
        StateFile::Error e;
        QVERIFY(!StateFile::load(path(), &e));
        QVERIFY2(e.message.contains("1.txt"), qPrintable(e.message));
        QCOMPARE(e.line, reportedLine);
        if (reportedLine)
            QVERIFY2(e.message.contains(QString::number(reportedLine)), qPrintable(e.message));
        if (badLine)
            QVERIFY2(e.message.contains("\"abc\""), qPrintable(e.message));
    }

    void styleTextOtherThanTheFourLoads()
    {
        QList<QByteArray> lines = defaultLines();
        lines[30] = "\xc6\xe8\xf0\xed\xfb\xe9"; // "Жирный": no style, still a valid file
        lines[29] = "No Such Font";
        writeAll(path(), join(lines));
        QVERIFY(StateFile::load(path(), nullptr));
    }

    void failedWriteLeavesOldFileWhole()
    {
        QTemporaryDir base;
        const QString dir = base.filePath("ro");
        QVERIFY(QDir().mkpath(dir));
        bool mounted = false;
        if (geteuid() == 0) {
            // Permissions do not stop root: use a small file system of our own.
            mounted = run("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", dir});
            if (!mounted)
                QSKIP("running as root without mount: cannot make a read-only folder");
        }
        const QString file = dir + "/1.txt";
        writeAll(file, defaultFile());
        if (mounted)
            QVERIFY(run("mount", {"-o", "remount,ro", dir}));
        else
            QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));

        StateFile s = *StateFile::load(file, nullptr);
        s.setLine(1, "changed");
        QString error;
        const bool saved = s.save(file, &error);

        if (mounted) {
            QVERIFY(run("mount", {"-o", "remount,rw", dir}));
        } else {
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        const QByteArray after = readAll(file);
        if (mounted)
            QVERIFY(run("umount", {dir}));
        QVERIFY(!saved);
        QVERIFY2(error.contains("1.txt"), qPrintable(error));
        // Told in Russian, not in the system's English.
        QVERIFY2(error.contains(mounted ? "только для чтения" : "нет прав доступа"), qPrintable(error));
        QCOMPARE(after, defaultFile());
        QVERIFY(!s.save(base.filePath("missing/1.txt"), &error));
        QVERIFY2(error.contains("файл или папка не найдены"), qPrintable(error));
    }

    void fullDiskLeavesOldFileWhole()
    {
        if (geteuid() != 0)
            QSKIP("needs root to mount a small file system");
        QTemporaryDir base;
        const QString dir = base.filePath("full");
        QVERIFY(QDir().mkpath(dir));
        if (!run("mount", {"-t", "tmpfs", "-o", "size=12k", "tmpfs", dir}))
            QSKIP("mount not permitted here");
        const QString file = dir + "/1.txt";
        writeAll(file, defaultFile());
        run("dd", {"if=/dev/zero", "of=" + dir + "/filler", "bs=1k"}); // fails when full, as meant
        StateFile s = *StateFile::load(file, nullptr);
        s.setLine(1, QString(4000, QLatin1Char('x')));
        QString error;
        const bool saved = s.save(file, &error);
        const QByteArray after = readAll(file);
        run("umount", {dir});
        QVERIFY(!saved);
        QVERIFY(error.contains("1.txt"));
        QVERIFY2(error.contains("на диске не осталось места"), qPrintable(error));
        QCOMPARE(after, defaultFile());
    }
};

QTEST_GUILESS_MAIN(StateFileTest)
#include "test_statefile.moc"
