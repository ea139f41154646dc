#include "core/blankunderlay.h"

#include "core/atomicfile.h"
#include "core/programdir.h"
#include "core/textfile.h"
#include "core/twips.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>

#include <cerrno>
#include <cmath>
#include <filesystem>

namespace gravik {

namespace {

constexpr double inchesPerMeter = 1 / 0.0254;

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

QString formatDpi(double dpi)
{
    // Files name whole dots a metre, a step of 0.0254 dpi (300 dpi is 11811,
    // 299.9994 dpi): one decimal gives back what the scanner was set to.
    return QString::number(std::round(dpi * 10) / 10, 'g', 10);
}

// The screen's resolution in device pixels.
struct Device {
    double dpiX, dpiY, ratio;
};

Device device()
{
    const double ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    return {twips::screenDpiX() * ratio, twips::screenDpiY() * ratio, ratio};
}

// The pair is saved through a journal beside it: the new picture, then the new
// placement; the placement's arrival commits both, and two renames put them in
// place. Whatever a crash interrupts, completePair gives the old pair or the new.
struct PairFiles {
    QString picture = BlankUnderlay::pictureFile(), placement = BlankUnderlay::placementFile();
    QString newPicture = programdir::file(QStringLiteral("data/blank-new.png"));
    QString newPlacement = programdir::file(QStringLiteral("data/blank-new.txt"));
};

bool replaceFile(const QString &from, const QString &to, QString *error)
{
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), ec);
    if (!ec)
        return true;
    if (error)
        *error = QStringLiteral("Не удалось записать файл %1: %2")
                     .arg(native(to), fileFailureReason(ec.value(), QString::fromStdString(ec.message())));
    return false;
}

bool completePair(const PairFiles &f, QString *error)
{
    if (!QFileInfo::exists(f.newPlacement)) {
        QFile::remove(f.newPicture); // not committed: the old pair stands
        return true;
    }
    if (QFileInfo::exists(f.newPicture) && !replaceFile(f.newPicture, f.picture, error))
        return false;
    return replaceFile(f.newPlacement, f.placement, error);
}

bool storePair(const PairFiles &f, const QByteArray &png, const BlankPlacement &p, QString *error)
{
    QDir().mkpath(QFileInfo(f.picture).path());
    if (!writeFileAtomically(f.newPicture, png, error))
        return false;
    if (!textfile::writeLines(f.newPlacement, p.toLines(), error)) {
        QFile::remove(f.newPicture);
        return false;
    }
    return completePair(f, error);
}

// The bytes data/blank.png gets: a PNG as it came, byte for byte; other
// formats as PNG, naming the resolution they had.
std::optional<QByteArray> storedPng(blankpicture::Picture &picture, double dpi, const QString &target, QString *error)
{
    if (picture.format == "png")
        return std::move(picture.bytes);
    QImage named = picture.image;
    named.setDotsPerMeterX(qRound(dpi * inchesPerMeter));
    named.setDotsPerMeterY(qRound(dpi * inchesPerMeter));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // A middle setting: a third of the default's time for a scan, a tenth larger.
    writer.setCompression(50);
    if (!writer.write(named)) {
        *error = QStringLiteral("Не удалось сохранить изображение бланка %1: %2")
                     .arg(native(target), writer.errorString());
        return std::nullopt;
    }
    return png;
}

} // namespace

QStringList BlankPlacement::toLines() const
{
    return {formatDpi(dpi), QString::number(xTwips), QString::number(yTwips),
            shown ? QStringLiteral("1") : QStringLiteral("0")};
}

std::optional<BlankPlacement> BlankPlacement::fromLines(const QStringList &lines, QString *why)
{
    using namespace blankpicture;
    auto bad = [&](int line, const QString &what) {
        *why = QStringLiteral("строка %1: %2").arg(line).arg(what);
        return std::nullopt;
    };
    if (lines.size() < 4)
        return bad(lines.size() + 1, QStringLiteral("строки нет, нужно четыре строки"));
    BlankPlacement p;
    bool ok = false;
    p.dpi = lines[0].toDouble(&ok);
    if (!ok || !(p.dpi >= MinDpi && p.dpi <= MaxDpi))
        return bad(1, QStringLiteral("«%1» не разрешение от %2 до %3 точек на дюйм").arg(lines[0]).arg(MinDpi).arg(MaxDpi));
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

BlankUnderlay::BlankUnderlay(QObject *parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
}

BlankUnderlay::~BlankUnderlay()
{
    m_stopping = true;
    m_pool.clear();
    m_pool.waitForDone();
}

QString BlankUnderlay::pictureFile() { return programdir::file(QStringLiteral("data/blank.png")); }
QString BlankUnderlay::placementFile() { return programdir::file(QStringLiteral("data/blank.txt")); }

void BlankUnderlay::run(std::function<Outcome()> work)
{
    ++m_jobs;
    m_pool.start([this, work = std::move(work)] {
        Outcome o = work();
        // Queued to this object: dropped with it when it goes first.
        QMetaObject::invokeMethod(this, [this, o = std::move(o)]() mutable { finish(std::move(o)); },
                                  Qt::QueuedConnection);
    });
}

void BlankUnderlay::finish(Outcome o)
{
    --m_jobs;
    if (o.chosen)
        --m_choosing;
    if (!o.copy) {
        if (o.chosen) {
            if (m_placementUnsaved && !m_choosing) {
                m_placementUnsaved = false;
                QString ignored;
                writePlacement(m_placement, &ignored);
            }
            emit chooseFailed(o.error);
            return;
        }
        m_screen = QImage();
        emit pictureChanged();
        emit pictureFailed(o.file, o.error);
        return;
    }
    m_screen = std::move(o.copy->image);
    m_screen.setDevicePixelRatio(device().ratio);
    if (o.chosen) {
        m_placement = o.placement;
        m_dpiFromPicture = false;
        m_placementUnsaved = false; // the picture comes at the corner, as saved
        emit placementChanged();
    } else if (m_dpiFromPicture) {
        m_placement.dpi = o.copy->dpi;
        emit placementChanged();
    }
    emit pictureChanged();
}

bool BlankUnderlay::load(QString *error, QString *file)
{
    QString sinks[2];
    if (!error)
        error = &sinks[0];
    if (!file)
        file = &sinks[1];
    const PairFiles files;
    if (!completePair(files, error)) {
        *file = files.placement;
        return false;
    }
    const bool hasPlacement = QFileInfo::exists(files.placement);
    if (!hasPlacement && !QFileInfo::exists(files.picture))
        return true; // no blank was ever chosen
    BlankPlacement p;
    bool ok = true;
    if (hasPlacement) {
        QString why;
        const auto lines = textfile::readLines(files.placement, error);
        std::optional<BlankPlacement> stored;
        if (lines && !(stored = BlankPlacement::fromLines(*lines, &why)))
            *error = QStringLiteral("Файл %1, %2").arg(native(files.placement), why);
        ok = stored.has_value();
        if (!ok)
            *file = files.placement;
        p = stored.value_or(p);
    }
    m_placement = p;
    m_dpiFromPicture = !ok || !hasPlacement;
    emit placementChanged();

    const Device d = device();
    const blankpicture::CacheKey key{files.picture, m_dpiFromPicture ? 0 : p.dpi, d.dpiX, d.dpiY};
    run([key, this] {
        Outcome o;
        if (m_stopping)
            return o;
        if ((o.copy = blankpicture::cached(key)))
            return o;
        const auto picture = blankpicture::read(key.picture, &o.error);
        if (!picture) {
            o.file = key.picture;
            return o;
        }
        const double dpi = key.dpi > 0 ? key.dpi : blankpicture::dotsPerInch(picture->image);
        o.copy = blankpicture::screenCopy(picture->image, dpi, key.deviceDpiX, key.deviceDpiY);
        blankpicture::keep(key, *o.copy);
        return o;
    });
    return ok;
}

void BlankUnderlay::choose(const QString &path)
{
    const PairFiles files;
    const Device d = device();
    ++m_choosing;
    run([path, files, d, this] {
        Outcome o;
        o.chosen = true;
        auto picture = blankpicture::read(path, &o.error);
        if (!picture || m_stopping)
            return o;
        BlankPlacement p;
        p.dpi = blankpicture::dotsPerInch(picture->image);
        const auto png = storedPng(*picture, p.dpi, files.picture, &o.error);
        if (!png || m_stopping || !storePair(files, *png, p, &o.error))
            return o;
        const blankpicture::CacheKey key{files.picture, p.dpi, d.dpiX, d.dpiY};
        o.copy = blankpicture::screenCopy(picture->image, p.dpi, d.dpiX, d.dpiY);
        blankpicture::keep(key, *o.copy);
        o.placement = p;
        return o;
    });
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
    // A chosen picture on its way saves its own placement; the change is saved
    // after it, should it fail.
    if (m_choosing > 0) {
        m_placementUnsaved = true;
        return true;
    }
    return textfile::writeLines(placementFile(), p.toLines(), error);
}

} // namespace gravik
