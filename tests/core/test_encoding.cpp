#include "core/cp1251.h"
#include "core/textfile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <iconv.h>

using namespace gravik;

class EncodingTest : public QObject
{
    Q_OBJECT
private slots:
    void converterPresent() { QVERIFY2(cp1251::available(), "Qt has no windows-1251 converter"); }

    void allBytesRoundTrip()
    {
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QString text = cp1251::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(cp1251::encode(text), all);
        QCOMPARE(cp1251::decode("\x98").size(), 1);
        QCOMPARE(cp1251::encode(cp1251::decode("\x98")), QByteArray("\x98"));
    }

    void agreesWithIconv()
    {
        iconv_t cd = iconv_open("UTF-32LE", "CP1251");
        QVERIFY(cd != iconv_t(-1));
        int assigned = 0;
        for (int b = 0; b < 256; ++b) {
            char in = char(b);
            char32_t out = 0;
            char *ip = &in;
            char *op = reinterpret_cast<char *>(&out);
            size_t il = 1, ol = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1))
                continue; // unassigned in iconv's table
            ++assigned;
            const QString ours = cp1251::decode(QByteArray(1, char(b)));
            QCOMPARE(uint(ours.at(0).unicode()), uint(out));
        }
        iconv_close(cd);
        QVERIFY(assigned >= 255);
    }

    void kazakhLettersFoldToStoredForms_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("Әә") << QString::fromUtf8("Әә") << QByteArray("\xA3\xBC");
        QTest::newRow("Ғғ") << QString::fromUtf8("Ғғ") << QByteArray("\xAA\xBA");
        QTest::newRow("Ққ") << QString::fromUtf8("Ққ") << QByteArray("\x8D\x9D");
        QTest::newRow("Ңң") << QString::fromUtf8("Ңң") << QByteArray("\xBD\xBE");
        QTest::newRow("Өө") << QString::fromUtf8("Өө") << QByteArray("\xA5\xB4");
        QTest::newRow("Ұұ") << QString::fromUtf8("Ұұ") << QByteArray("\xA1\xA2");
        QTest::newRow("Үү") << QString::fromUtf8("Үү") << QByteArray("\xAF\xBF");
        QTest::newRow("Іі") << QString::fromUtf8("Іі") << QByteArray("\xB2\xB3");
        QTest::newRow("word") << QString::fromUtf8("Қазақ") << QByteArray("\x8D\xE0\xE7\xE0\x9D");
    }
    void kazakhLettersFoldToStoredForms()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, stored);
        QCOMPARE(cp1251::encode(typed), stored);
        QCOMPARE(cp1251::decode(stored), cp1251::foldKazakh(typed));
    }

    void unencodableCharactersAreDropped()
    {
        bool dropped = false;
        QCOMPARE(cp1251::keepEncodable(QString::fromUtf8("a😀bқ"), &dropped), QString::fromUtf8("abќ"));
        QVERIFY(dropped);
        QCOMPARE(cp1251::keepEncodable(QString::fromUtf8("Ученик"), &dropped), QString::fromUtf8("Ученик"));
        QVERIFY(!dropped);
        QVERIFY(!cp1251::encodable(QChar(0x4E2D)));
        QVERIFY(cp1251::encodable(QChar(0x049B)));
    }

    void linesReadAndWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("one\r\n two \r\n\r\nlast");
        f.close();
        const auto lines = textfile::readLines(path);
        QVERIFY(lines);
        QCOMPARE(*lines, QStringList({"one", " two ", "", "last"}));
        QVERIFY(textfile::writeLines(path, *lines));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("one\r\n two \r\n\r\nlast\r\n"));
        QString error;
        QVERIFY(!textfile::readLines(dir.filePath("none.txt"), &error));
        QVERIFY(error.contains("none.txt"));
    }
};

QTEST_GUILESS_MAIN(EncodingTest)
#include "test_encoding.moc"
