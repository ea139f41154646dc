// The fast PNG path gives what QImageReader gives, and leaves every PNG it
// does not read in full (other depths, transparency, damage) to QImageReader.
#include "core/pngdecoder.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include <array>

using namespace gravik;

namespace {

quint32 crc32(const QByteArray &bytes)
{
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xffffffffu;
    for (const char b : bytes)
        c = table[(c ^ uchar(b)) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

QByteArray be32(quint32 v)
{
    QByteArray out(4, '\0');
    qToBigEndian(v, out.data());
    return out;
}

QByteArray chunk(const QByteArray &type, const QByteArray &data)
{
    return be32(quint32(data.size())) + type + data + be32(crc32(type + data));
}

int paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// A PNG of the image's own bytes (grey 1, RGB 3 or RGBA 4 channels), row y
// filtered with filters[y % size], as any encoder may choose them.
struct Png {
    QImage image;
    int channels = 3;
    QList<int> filters = {0, 1, 2, 3, 4};
    QByteArray header = {};       // IHDR's last five bytes; empty: 8 bits, the channels', no interlace
    QByteArray beforeData = {};   // chunks between IHDR and IDAT
    qsizetype rowsShort = 0;

    QByteArray rawRow(int y) const
    {
        QByteArray row;
        const uchar *s = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (channels == 1) {
                row += char(s[x]);
                continue;
            }
            const QRgb p = reinterpret_cast<const QRgb *>(s)[x];
            row += char(qRed(p)), row += char(qGreen(p)), row += char(qBlue(p));
            if (channels == 4)
                row += char(qAlpha(p));
        }
        return row;
    }

    QByteArray bytes() const
    {
        QByteArray data, prior(image.width() * channels, '\0');
        for (int y = 0; y < image.height() - rowsShort; ++y) {
            const QByteArray row = rawRow(y);
            const int f = filters[y % filters.size()];
            data += char(f);
            for (int i = 0; i < row.size(); ++i) {
                const int x = uchar(row[i]), a = i >= channels ? uchar(row[i - channels]) : 0, b = uchar(prior[i]),
                          c = i >= channels ? uchar(prior[i - channels]) : 0;
                const int predicted = f == 1 ? a : f == 2 ? b : f == 3 ? (a + b) / 2 : f == 4 ? paeth(a, b, c) : 0;
                data += char(x - predicted);
            }
            prior = row;
        }
        const QByteArray colourType(1, char(channels == 1 ? 0 : channels == 3 ? 2 : 6));
        const QByteArray ihdr = be32(image.width()) + be32(image.height())
                                + (header.isEmpty() ? QByteArray("\x08") + colourType + QByteArray(3, '\0') : header);
        const QByteArray pHYs = be32(11811) + be32(5906) + QByteArray("\x01");
        return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("pHYs", pHYs) + beforeData
               + chunk("IDAT", qCompress(data).mid(4)) + chunk("IEND", {});
    }
};

QImage noise(QImage::Format format)
{
    QImage img(61, 23, format);
    QRandomGenerator random(7);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            // Smooth in places and noisy in others, so every Paeth branch is taken.
            const quint32 n = random.generate();
            const int v = x < 30 ? x * 8 + y : int(n & 0xff);
            if (format == QImage::Format_Grayscale8)
                img.scanLine(y)[x] = uchar(v);
            else
                img.setPixel(x, y, qRgba(v, (n >> 8) & 0xff, (n >> 16) & 0xff, (n >> 24) | (x < 30 ? 0xff : 0)));
        }
    return img;
}

void compareWithReader(const QByteArray &bytes)
{
    const QImage fast = png::decodeCommon(bytes);
    const QImage reader = QImage::fromData(bytes, "png");
    QVERIFY(!fast.isNull());
    QCOMPARE(fast.format(), reader.format());
    QCOMPARE(fast.size(), reader.size());
    QVERIFY(fast == reader);
    QCOMPARE(fast.dotsPerMeterX(), reader.dotsPerMeterX());
    QCOMPARE(fast.dotsPerMeterY(), reader.dotsPerMeterY());
}

} // namespace

class PngDecoderTest : public QObject
{
    Q_OBJECT
private slots:
    void samePixelsAsTheReader_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<QList<int>>("filters");
        for (int channels : {1, 3, 4}) {
            for (int f = 0; f < 5; ++f)
                QTest::addRow("%d channels, filter %d", channels, f) << channels << QList<int>{f};
            QTest::addRow("%d channels, mixed", channels) << channels << QList<int>{4, 3, 0, 2, 1, 3};
        }
    }
    void samePixelsAsTheReader()
    {
        QFETCH(int, channels);
        QFETCH(QList<int>, filters);
        Png png{noise(channels == 1 ? QImage::Format_Grayscale8 : QImage::Format_ARGB32), channels, filters};
        png.beforeData = chunk("tEXt", "Software\0scanner"); // ancillary chunks are passed over
        compareWithReader(png.bytes());
    }

    void picturesQtWrites()
    {
        // Qt's own files: the image data split over many chunks, its filter choices.
        for (auto format : {QImage::Format_Grayscale8, QImage::Format_RGB32, QImage::Format_ARGB32}) {
            QImage img = noise(format).scaled(900, 700);
            img.setDotsPerMeterX(11811), img.setDotsPerMeterY(11811);
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(img.save(&buffer, "png"));
            compareWithReader(bytes);
        }
    }

    void leftToTheReader()
    {
        const QImage rgb = noise(QImage::Format_RGB32);
        auto with = [&](auto change) {
            Png png{rgb};
            change(png);
            return png.bytes();
        };
        const QByteArray good = with([](Png &) {});
        QVERIFY(!png::decodeCommon(good).isNull());

        QByteArray badCrc = good;
        badCrc[badCrc.size() - 20] = char(badCrc[badCrc.size() - 20] ^ 1); // in the image data
        QByteArray unknownFilter = with([](Png &p) { p.filters = {5}; });
        const QList<QByteArray> others = {
            with([](Png &p) { p.header = QByteArray("\x10\x02\0\0\0", 5); }),       // 16 bits a channel
            with([](Png &p) { p.header = QByteArray("\x08\x02\0\0\x01", 5); }),     // interlaced
            with([](Png &p) { p.header = QByteArray("\x08\x03\0\0\0", 5); }),       // a palette
            with([](Png &p) { p.header = QByteArray("\x08\x04\0\0\0", 5); }),       // grey and alpha
            with([](Png &p) { p.beforeData = chunk("tRNS", be32(0).left(2) + be32(0).left(2) + be32(0).left(2)); }),
            with([](Png &p) { p.beforeData = chunk("ZZZZ", "?"); }),                 // critical, unknown
            with([](Png &p) { p.rowsShort = 1; }),                                   // data short of the rows
            good.left(good.size() - 12),                                             // no IEND
            good.left(good.size() / 2),
            badCrc,
            unknownFilter,
            QByteArray("\x89PNG\r\n\x1a\n", 8),
            QByteArray(),
        };
        for (const QByteArray &bytes : others)
            QVERIFY(png::decodeCommon(bytes).isNull());
    }
};

QTEST_GUILESS_MAIN(PngDecoderTest)
#include "test_pngdecoder.moc"
