#include "core/cp1251.h"
#include "core/textfile.h"

#include <QStringDecoder>
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

    // glibc's table of the Kazakh code page is the reference for every byte.
    void agreesWithIconv()
    {
        iconv_t cd = iconv_open("UTF-32LE", "RK1048");
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

    // Every byte from its letter and from the letter of code page 1251 that
    // older copies of the program showed for it.
    void standInsAndLettersShareTheirByte()
    {
        QStringDecoder plain("windows-1251", QStringDecoder::Flag::Stateless);
        int kazakh = 0;
        for (int b = 0; b < 256; ++b) {
            const QByteArray byte(1, char(b));
            const QString standIn = plain.decode(byte), letter = cp1251::decode(byte);
            QCOMPARE(cp1251::encode(standIn), byte);
            QCOMPARE(cp1251::kazakhLetters(standIn), letter);
            QCOMPARE(cp1251::storedForms(letter), standIn);
            QCOMPARE(cp1251::keepEncodable(standIn), letter);
            kazakh += standIn != letter;
        }
        QCOMPARE(kazakh, 16);
        const QString word = QString::fromUtf8("Қазақ Һһ Әә Ғғ Ңң Өө Ұұ Үү Іі");
        QCOMPARE(cp1251::encode(word), QByteArray("\x8D\xE0\xE7\xE0\x9D \x8E\x9E \xA3\xBC \xAA\xBA \xBD\xBE "
                                                 "\xA5\xB4 \xA1\xA2 \xAF\xBF \xB2\xB3"));
        QCOMPARE(cp1251::storedForms(word), QString::fromUtf8("Ќазаќ Ћћ Јј Єє Ѕѕ Ґґ Ўў Її Іі"));
        const QString russian = QString::fromUtf8("Ученик");
        QCOMPARE(cp1251::kazakhLetters(russian).constData(), russian.constData()); // nothing copied
    }

    void unencodableCharactersAreDropped()
    {
        bool dropped = false;
        QCOMPARE(cp1251::keepEncodable(QString::fromUtf8("a😀bқє"), &dropped), QString::fromUtf8("abқғ"));
        QVERIFY(dropped);
        QCOMPARE(cp1251::keepEncodable(QString::fromUtf8("Ученик"), &dropped), QString::fromUtf8("Ученик"));
        QVERIFY(!dropped);
        QVERIFY(!cp1251::encodable(QChar(0x4E2D)));
        QVERIFY(!cp1251::encodable(QChar(0x04E2))); // Ӣ, no Kazakh letter
        QVERIFY(cp1251::encodable(QChar(0x049B)));
        QCOMPARE(cp1251::encode(QString::fromUtf8("a😀")), QByteArray("a??"));
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
