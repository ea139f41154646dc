#pragma once

#include "core/blankpicture.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <optional>

namespace gravik {

// Where the scan of the blank lies under the fields: its resolution, its
// offset from the page corner in twips, and whether it is shown.
struct BlankPlacement {
    double dpi = blankpicture::DefaultDpi;
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
// program directory as data/blank.png (a copy) and data/blank.txt, saved as a
// pair. Only the part over the page is kept, at the screen's resolution; the
// picture file is read off the interface thread and the copy comes later.
class BlankUnderlay : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxOffsetTwips = 14400; // ten inches either way

    explicit BlankUnderlay(QObject *parent = nullptr);
    ~BlankUnderlay() override; // waits for picture work under way

    static QString pictureFile();
    static QString placementFile();

    bool hasPicture() const { return !m_screen.isNull(); }
    // The part of the picture over the page, in device pixels: the screen's
    // logical DPI times the device pixel ratio, which the image carries.
    const QImage &screenPicture() const { return m_screen; }
    const BlankPlacement &placement() const { return m_placement; }
    // Picture work is under way: its outcome has not arrived yet.
    bool busy() const { return m_jobs > 0; }

    // Reads data/blank.txt now and the picture in the background; a save cut
    // short is first completed or undone. No picture and no placement file: no
    // underlay, no problem. A bad placement file: false and *error naming the
    // file and line (*file: that file); the picture then lies at the page
    // corner. A picture that is missing or unreadable: pictureFailed later.
    bool load(QString *error = nullptr, QString *file = nullptr);

    // Copies the operator's picture (PNG, JPEG, TIFF) into the program
    // directory and shows it at the page corner, all in the background. A
    // picture that cannot be read or stored changes nothing: chooseFailed.
    void choose(const QString &path);

    bool setOffset(int xTwips, int yTwips, QString *error);
    bool setShown(bool shown, QString *error);

signals:
    void pictureChanged();
    void placementChanged();
    void pictureFailed(const QString &file, const QString &error);
    void chooseFailed(const QString &error);

private:
    struct Outcome {
        std::optional<blankpicture::ScreenCopy> copy;
        QString error;
        QString file;
        bool chosen = false;
        BlankPlacement placement; // of a chosen picture
    };
    void run(std::function<Outcome()> work);
    void finish(Outcome outcome);
    bool writePlacement(const BlankPlacement &p, QString *error);

    QImage m_screen;
    BlankPlacement m_placement;
    bool m_dpiFromPicture = false; // no placement file named it
    bool m_placementUnsaved = false; // changed while a chosen picture was on its way
    int m_jobs = 0, m_choosing = 0;
    std::atomic<bool> m_stopping = false;
    QThreadPool m_pool; // one thread: saves and reads in the order asked
};

} // namespace gravik
