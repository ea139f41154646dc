#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace gravik {

// Where the scan of the blank lies under the fields: its resolution, its
// offset from the page corner in twips, and whether it is shown.
struct BlankPlacement {
    double dpi = 300;
    int xTwips = 0;
    int yTwips = 0;
    bool shown = true;

    // data/blank.txt: four lines (dots per inch, X, Y, 1 or 0).
    QStringList toLines() const;
    // nullopt and *why (naming the line) when the lines are no placement.
    static std::optional<BlankPlacement> fromLines(const QStringList &lines, QString *why);
};

// A scanned blank the operator lays under the preview to align the fields.
// It is the screen's only: nothing of it reaches the page renderer. Kept in the
// program directory as data/blank.png (a copy) and data/blank.txt.
class BlankUnderlay : public QObject
{
    Q_OBJECT
public:
    static constexpr double DefaultDpi = 300;
    static constexpr int MaxOffsetTwips = 14400; // ten inches either way

    using QObject::QObject;

    static QString pictureFile();
    static QString placementFile();

    // The resolution a picture's file names; DefaultDpi when it names none.
    static double dotsPerInch(const QImage &image);

    bool hasPicture() const { return !m_picture.isNull(); }
    const QImage &picture() const { return m_picture; }
    const BlankPlacement &placement() const { return m_placement; }

    // Reads the two files. No picture and no placement file: no underlay, no
    // problem. A picture that is missing or unreadable: no underlay, false and
    // *error naming the file; a bad placement file: the picture at the page
    // corner, false and *error naming the file and line. *file: the file at fault.
    bool load(QString *error, QString *file = nullptr);

    // Copies the operator's picture (PNG, JPEG, TIFF) into the program
    // directory and shows it at the page corner. A picture that cannot be read
    // or stored changes nothing: false and *error naming the file.
    bool choose(const QString &path, QString *error);

    bool setOffset(int xTwips, int yTwips, QString *error);
    bool setShown(bool shown, QString *error);

signals:
    void pictureChanged();
    void placementChanged();

private:
    bool writePlacement(const BlankPlacement &p, QString *error);

    QImage m_picture;
    BlankPlacement m_placement;
};

} // namespace gravik
