#include "core/blankpicture.h"

#include "core/atomicfile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPageSize>
#include <QStandardPaths>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace gravik::blankpicture {

namespace {

constexpr double inchesPerMeter = 1 / 0.0254;
// Decoded, a picture at the bound takes four bytes a pixel at most.
constexpr qint64 maxDecodedBytes = MaxPixels * 4;

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

QString cannotRead(const QString &path, const QString &why)
{
    return QStringLiteral("Не удалось прочитать изображение бланка %1: %2").arg(native(path), why);
}

// Refusals for size say so, never that the picture is damaged.
QString tooLarge(const QString &path, const QString &detail)
{
    return cannotRead(path, QStringLiteral("изображение слишком велико: ") + detail);
}

QString readerReason(const QImageReader &r)
{
    switch (r.error()) {
    case QImageReader::FileNotFoundError: return QStringLiteral("файл не найден");
    case QImageReader::UnsupportedFormatError: return QStringLiteral("это не изображение PNG, JPEG или TIFF");
    case QImageReader::InvalidDataError: return QStringLiteral("изображение повреждено");
    default: return r.errorString();
    }
}

// Whether a PNG's compressed rows inflate to no more than the rows need (twice,
// which leaves room for interlacing). libpng inflates whatever follows the last
// row before it only warns, so a few megabytes can cost minutes; this stops as
// soon as the bound is passed. A file that is no PNG, or a damaged one, is left
// for the reader to judge.
bool pngRowsFit(const QByteArray &png)
{
    const auto *p = reinterpret_cast<const uchar *>(png.constData());
    const qint64 size = png.size();
    if (size < 33 || !png.startsWith(QByteArrayLiteral("\x89PNG\r\n\x1a\n")) || std::memcmp(p + 12, "IHDR", 4) != 0)
        return true;
    const qint64 width = qFromBigEndian<quint32>(p + 16), height = qFromBigEndian<quint32>(p + 20);
    const int depth = p[24], channels = [&] {
        switch (p[25]) {
        case 2: return 3;
        case 4: return 2;
        case 6: return 4;
        default: return 1; // grey, palette
        }
    }();
    const qint64 rowBytes = (width * channels * depth + 7) / 8 + 1;
    // A header may claim 2^32 rows of 2^32 pixels: the bound saturates rather than overflows.
    const double wide = 2.0 * double(height) * double(rowBytes) + 65536;
    const qint64 bound = wide >= 9.0e18 ? std::numeric_limits<qint64>::max() : qint64(wide);

    z_stream z = {};
    if (inflateInit(&z) != Z_OK)
        return true;
    qint64 inflated = 0;
    int ret = Z_OK;
    uchar out[1 << 16];
    for (qint64 at = 8; at + 12 <= size && ret == Z_OK && inflated <= bound;) {
        const qint64 len = qFromBigEndian<quint32>(p + at);
        if (len > size - at - 12)
            break;
        if (std::memcmp(p + at + 4, "IDAT", 4) == 0) {
            z.next_in = const_cast<uchar *>(p + at + 8);
            z.avail_in = uInt(len);
            do {
                z.next_out = out;
                z.avail_out = sizeof out;
                ret = inflate(&z, Z_NO_FLUSH);
                inflated += qint64(sizeof out - z.avail_out);
            } while (ret == Z_OK && z.avail_out == 0 && inflated <= bound);
        }
        at += 12 + len;
    }
    inflateEnd(&z);
    return inflated <= bound;
}

QString cacheFile(const QString &picture)
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (dir.isEmpty())
        return {};
    const QByteArray id = QCryptographicHash::hash(QFileInfo(picture).absoluteFilePath().toUtf8(),
                                                   QCryptographicHash::Sha1);
    return dir + QStringLiteral("/blank-") + QString::fromLatin1(id.toHex().left(16)) + QStringLiteral(".png");
}

// What a kept copy was made from and for; empty when the picture is gone.
QString cacheKey(const CacheKey &key)
{
    const QFileInfo f(key.picture);
    if (!f.exists())
        return {};
    return QStringLiteral("1 %1 %2 %3 %4 %5")
        .arg(f.size())
        .arg(f.lastModified().toMSecsSinceEpoch())
        .arg(key.dpi)
        .arg(key.deviceDpiX)
        .arg(key.deviceDpiY);
}

QSize pageAt(double dpiX, double dpiY)
{
    const QSizeF page = QPageSize(QPageSize::A4).size(QPageSize::Inch);
    return QSize(int(std::ceil(page.width() * dpiX)), int(std::ceil(page.height() * dpiY)));
}

} // namespace

std::optional<Picture> read(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.exists() ? fileOpenError(file, path) : cannotRead(path, QStringLiteral("файл не найден"));
        return std::nullopt;
    }
    if (file.size() > maxDecodedBytes) {
        *error = tooLarge(path, QStringLiteral("файл больше %1 МБ").arg(maxDecodedBytes >> 20));
        return std::nullopt;
    }
    Picture out;
    out.bytes = file.readAll();
    QBuffer buffer(&out.bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(int((maxDecodedBytes + (1 << 20) - 1) >> 20));
    out.format = reader.format();
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > MaxPixels) {
        *error = tooLarge(path, QStringLiteral("%1 × %2 точек, а можно не более %3 млн")
                                    .arg(size.width())
                                    .arg(size.height())
                                    .arg(MaxPixels / 1'000'000));
        return std::nullopt;
    }
    if (out.format == "png" && !pngRowsFit(out.bytes)) {
        *error = tooLarge(path, QStringLiteral("его данные намного больше, чем нужно для %1 × %2 точек")
                                    .arg(size.width())
                                    .arg(size.height()));
        return std::nullopt;
    }
    out.image = reader.read();
    if (out.image.isNull()) {
        *error = cannotRead(path, readerReason(reader));
        return std::nullopt;
    }
    return out;
}

double dotsPerInch(const QImage &image)
{
    // A file that names no resolution leaves the reader's default, which is
    // the one a new image gets.
    const int dpm = image.dotsPerMeterX();
    if (dpm <= 0 || dpm == QImage(1, 1, QImage::Format_Mono).dotsPerMeterX())
        return DefaultDpi;
    return std::clamp(dpm / inchesPerMeter, MinDpi, MaxDpi);
}

ScreenCopy screenCopy(const QImage &picture, double dpi, double deviceDpiX, double deviceDpiY)
{
    ScreenCopy out;
    out.dpi = dpi;
    if (picture.isNull())
        return out;
    // Only the part over the page can be seen; scaling only that bounds the
    // copy by the page whatever the picture's size and resolution.
    const QSize pageInPicture = pageAt(dpi, dpi), pageOnScreen = pageAt(deviceDpiX, deviceDpiY);
    const QRect part = picture.rect() & QRect(QPoint(0, 0), pageInPicture);
    const QSize size(std::clamp(qRound(part.width() * deviceDpiX / dpi), 1, pageOnScreen.width()),
                     std::clamp(qRound(part.height() * deviceDpiY / dpi), 1, pageOnScreen.height()));
    const QImage whole = part == picture.rect() ? picture : picture.copy(part);
    out.image = whole.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out;
}

std::optional<ScreenCopy> cached(const CacheKey &key)
{
    const QString path = cacheFile(key.picture), expected = cacheKey(key);
    if (path.isEmpty() || expected.isEmpty())
        return std::nullopt;
    QImageReader reader(path, "png");
    const QSize page = pageAt(key.deviceDpiX, key.deviceDpiY);
    if (reader.text(QStringLiteral("Key")) != expected || !reader.size().isValid() ||
        reader.size().width() > page.width() || reader.size().height() > page.height())
        return std::nullopt;
    ScreenCopy out;
    bool ok = false;
    out.dpi = reader.text(QStringLiteral("Dpi")).toDouble(&ok);
    out.image = reader.read();
    if (!ok || out.image.isNull())
        return std::nullopt;
    return out;
}

void keep(const CacheKey &key, const ScreenCopy &copy)
{
    const QString path = cacheFile(key.picture), k = cacheKey(key);
    if (path.isEmpty() || k.isEmpty() || copy.image.isNull())
        return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setText(QStringLiteral("Key"), k);
    writer.setText(QStringLiteral("Dpi"), QString::number(copy.dpi, 'g', 17));
    writer.setCompression(10); // read at every start: fast to inflate matters more than size
    // A copy that cannot be kept is made again next time.
    if (writer.write(copy.image) && QDir().mkpath(QFileInfo(path).path()))
        writeFileAtomically(path, png);
}

} // namespace gravik::blankpicture
