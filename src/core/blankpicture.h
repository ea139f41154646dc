#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

// The scanned blank's picture: read within bounds, cut and scaled to the page
// on screen, and that copy kept between runs. Safe to call off the interface
// thread; nothing here touches a widget or a pixmap.
namespace gravik::blankpicture {

// The resolutions a scan of the blank may have; a file naming none is 300 dpi.
constexpr double MinDpi = 50, MaxDpi = 1200, DefaultDpi = 300;

// One bound for PNG, JPEG and TIFF: a colour A4 scan at 600 dpi has 35 million.
constexpr qint64 MaxPixels = 64'000'000;

struct Picture {
    QImage image;
    QByteArray bytes;  // the file as read
    QByteArray format; // "png", "jpeg", "tiff"
};

// Reads a picture file. Its size is checked before it is decoded, and a PNG
// whose compressed data holds far more than its rows is refused without being
// inflated to the end. nullopt and *error naming the file when it cannot be read
// or is too large.
std::optional<Picture> read(const QString &path, QString *error);

// The resolution a picture names, brought into MinDpi..MaxDpi; DefaultDpi when
// it names none.
double dotsPerInch(const QImage &image);

// What the screen shows of a picture at dpi: the part over an A4 page from its
// top left corner, at deviceDpi pixels an inch. Never larger than the page.
struct ScreenCopy {
    QImage image;
    double dpi = DefaultDpi; // the picture's resolution it was made for
};
ScreenCopy screenCopy(const QImage &picture, double dpi, double deviceDpiX, double deviceDpiY);

// A screen copy kept under the user's cache folder (never the program
// directory), one per picture file, found again while the file keeps its size
// and time and the copy is asked for the same resolutions. dpi 0: the
// picture's own.
struct CacheKey {
    QString picture;
    double dpi = 0;
    double deviceDpiX = 0, deviceDpiY = 0;
};
std::optional<ScreenCopy> cached(const CacheKey &key);
void keep(const CacheKey &key, const ScreenCopy &copy);

} // namespace gravik::blankpicture
