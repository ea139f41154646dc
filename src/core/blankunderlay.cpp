#include "core/blankunderlay.h"

#include "core/atomicfile.h"
#include "core/pngdecoder.h"
#include "core/programdir.h"
#include "core/textfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#include <cmath>

namespace gravik {

namespace {

constexpr double inchesPerMeter = 1 / 0.0254;
constexpr double minDpi = 10, maxDpi = 10000;

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

QString readerReason(const QImageReader &r)
{
    switch (r.error()) {
    case QImageReader::FileNotFoundError: return QStringLiteral("файл не найден");
    case QImageReader::UnsupportedFormatError: return QStringLiteral("это не изображение PNG, JPEG или TIFF");
    case QImageReader::InvalidDataError: return QStringLiteral("изображение повреждено");
    default: return r.errorString();
    }
}

// The file's bytes and the picture they hold.
struct ReadPicture {
    QByteArray bytes;
    QImage image;
    QByteArray format;
};

std::optional<ReadPicture> readPicture(const QString &path, QString *error)
{
    ReadPicture out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = fileOpenError(file, path);
        return std::nullopt;
    }
    out.bytes = file.readAll();
    out.image = png::decodeCommon(out.bytes);
    if (!out.image.isNull()) {
        out.format = "png";
        return out;
    }
    QBuffer buffer(&out.bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    out.format = reader.format();
    out.image = reader.read();
    if (out.image.isNull()) {
        *error = QStringLiteral("Не удалось прочитать изображение бланка %1: %2").arg(native(path), readerReason(reader));
        return std::nullopt;
    }
    return out;
}

QString formatDpi(double dpi)
{
    // Files name whole dots a metre, a step of 0.0254 dpi (300 dpi is 11811,
    // 299.9994 dpi): one decimal gives back what the scanner was set to.
    return QString::number(std::round(dpi * 10) / 10, 'g', 10);
}

} // namespace

QStringList BlankPlacement::toLines() const
{
    return {formatDpi(dpi), QString::number(xTwips), QString::number(yTwips),
            shown ? QStringLiteral("1") : QStringLiteral("0")};
}

std::optional<BlankPlacement> BlankPlacement::fromLines(const QStringList &lines, QString *why)
{
    auto bad = [&](int line, const QString &what) {
        *why = QStringLiteral("строка %1: %2").arg(line).arg(what);
        return std::nullopt;
    };
    if (lines.size() < 4)
        return bad(lines.size() + 1, QStringLiteral("строки нет, нужно четыре строки"));
    BlankPlacement p;
    bool ok = false;
    p.dpi = lines[0].toDouble(&ok);
    if (!ok || !(p.dpi >= minDpi && p.dpi <= maxDpi))
        return bad(1, QStringLiteral("«%1» не разрешение от %2 до %3 точек на дюйм").arg(lines[0]).arg(minDpi).arg(maxDpi));
    for (int i : {1, 2}) {
        const int v = lines[i].toInt(&ok);
        if (!ok || std::abs(v) > BlankUnderlay::MaxOffsetTwips)
            return bad(i + 1, QStringLiteral("«%1» не сдвиг в твипах от −%2 до %2").arg(lines[i]).arg(BlankUnderlay::MaxOffsetTwips));
        (i == 1 ? p.xTwips : p.yTwips) = v;
    }
    if (lines[3] != QLatin1String("1") && lines[3] != QLatin1String("0"))
        return bad(4, QStringLiteral("«%1» не 1 и не 0").arg(lines[3]));
    p.shown = lines[3] == QLatin1String("1");
    return p;
}

QString BlankUnderlay::pictureFile() { return programdir::file(QStringLiteral("data/blank.png")); }
QString BlankUnderlay::placementFile() { return programdir::file(QStringLiteral("data/blank.txt")); }

double BlankUnderlay::dotsPerInch(const QImage &image)
{
    // A file that names no resolution leaves the reader's default, which is
    // the one a new image gets.
    const int dpm = image.dotsPerMeterX();
    if (dpm <= 0 || dpm == QImage(1, 1, QImage::Format_Mono).dotsPerMeterX())
        return DefaultDpi;
    return std::clamp(dpm / inchesPerMeter, minDpi, maxDpi);
}

bool BlankUnderlay::load(QString *error, QString *file)
{
    QString sinks[2];
    if (!error)
        error = &sinks[0];
    if (!file)
        file = &sinks[1];
    const bool hasPlacement = QFileInfo::exists(placementFile());
    if (!hasPlacement && !QFileInfo::exists(pictureFile()))
        return true; // no blank was ever chosen
    m_picture = QImage();
    auto read = readPicture(pictureFile(), error);
    if (!read) {
        *file = pictureFile();
        emit pictureChanged();
        return false;
    }
    m_picture = std::move(read->image);
    BlankPlacement p;
    p.dpi = dotsPerInch(m_picture);
    bool ok = true;
    if (hasPlacement) {
        QString why;
        const auto lines = textfile::readLines(placementFile(), error);
        std::optional<BlankPlacement> stored;
        if (lines && !(stored = BlankPlacement::fromLines(*lines, &why)))
            *error = QStringLiteral("Файл %1, %2").arg(native(placementFile()), why);
        ok = stored.has_value();
        if (!ok)
            *file = placementFile();
        p = stored.value_or(p);
    }
    m_placement = p;
    emit pictureChanged();
    emit placementChanged();
    return ok;
}

bool BlankUnderlay::choose(const QString &path, QString *error)
{
    QString sink;
    if (!error)
        error = &sink;
    auto read = readPicture(path, error);
    if (!read)
        return false;
    BlankPlacement p;
    p.dpi = dotsPerInch(read->image);
    QByteArray png;
    if (read->format == "png") {
        png = std::move(read->bytes); // a copy, byte for byte
    } else {
        // Other formats are stored as PNG, naming the resolution they had.
        QImage named = read->image;
        named.setDotsPerMeterX(qRound(p.dpi * inchesPerMeter));
        named.setDotsPerMeterY(qRound(p.dpi * inchesPerMeter));
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        // A middle setting: a third of the default's time for a scan, a tenth larger.
        writer.setCompression(50);
        if (!writer.write(named)) {
            *error = QStringLiteral("Не удалось сохранить изображение бланка %1: %2").arg(native(pictureFile()), writer.errorString());
            return false;
        }
    }
    QDir().mkpath(QFileInfo(pictureFile()).path());
    if (!writeFileAtomically(pictureFile(), png, error) || !writePlacement(p, error))
        return false;
    m_picture = std::move(read->image);
    m_placement = p;
    emit pictureChanged();
    emit placementChanged();
    return true;
}

bool BlankUnderlay::setOffset(int xTwips, int yTwips, QString *error)
{
    BlankPlacement p = m_placement;
    p.xTwips = std::clamp(xTwips, -MaxOffsetTwips, MaxOffsetTwips);
    p.yTwips = std::clamp(yTwips, -MaxOffsetTwips, MaxOffsetTwips);
    if (!writePlacement(p, error))
        return false;
    m_placement = p;
    emit placementChanged();
    return true;
}

bool BlankUnderlay::setShown(bool shown, QString *error)
{
    BlankPlacement p = m_placement;
    p.shown = shown;
    if (!writePlacement(p, error))
        return false;
    m_placement = p;
    emit placementChanged();
    return true;
}

bool BlankUnderlay::writePlacement(const BlankPlacement &p, QString *error)
{
    return textfile::writeLines(placementFile(), p.toLines(), error);
}

} // namespace gravik
