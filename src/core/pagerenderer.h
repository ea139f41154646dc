#pragma once

#include "core/certificate.h"
#include "core/pagelayout.h"

#include <QColor>
#include <QPageLayout>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QPdfWriter;
class QSaveFile;

// The one way a certificate becomes a page: the screen preview, a PDF and the
// printer all come through here.
namespace gravik::page {

// The printed fields' colour (the palette's button text).
QColor normalColor();

// The 33 fields of a certificate, each in the page font and the given colour.
std::vector<FieldContent> contents(const Certificate &c, const QColor &color = normalColor());

// Draws every field; the painter's origin is the page's origin (twip 0, 0) and
// its units are device pixels at dpiX x dpiY.
void drawPage(QPainter &p, const std::vector<FieldContent> &fields, double dpiX, double dpiY);

// Draws the certificate; the painter's origin is twip (0, 0) of the page and
// its units device pixels at dpiX x dpiY.
void render(QPainter &p, const Certificate &c, double dpiX, double dpiY);

// A4 portrait with the given unprintable edges (points) as its margins, so the
// painter's origin is the corner of the printable area.
QPageLayout a4Layout(const QMarginsF &unprintablePoints = {});

// How pages are laid out for one output.
struct PageSetup {
    PageSetup(const QPageLayout &layout = a4Layout(), int resolution = 1200, QPointF offsetMm = {})
        : layout(layout), resolution(resolution), offsetMm(offsetMm)
    {
    }

    QPageLayout layout = a4Layout(); // margins = the edges the printer cannot reach
    int resolution = 1200;           // dots per inch the page is drawn at
    // The printer's own offset (millimetres, right and down): everything drawn
    // is moved by it on the device, the fields' coordinates stay as they are.
    QPointF offsetMm;
};

// The calibration page: the fields as printed, each field's box outlined in
// a thin line with crosshairs at its corners. Same origin and units as render.
void drawTestPage(QPainter &p, const std::vector<FieldContent> &fields, double dpiX, double dpiY);
// Millimetre rulers along the top and left edges of a printable area of the
// given size, from the painter's origin.
void drawRulers(QPainter &p, double dpiX, double dpiY, const QSizeF &printableTwips);

// A PDF of one or more certificates, written page by page (nothing of a page
// is kept once drawn) and replacing the file only when finished. Where the
// print system takes no PDF (Windows), the same pages go to a printer's
// document instead: open(device) and commit ends that document.
class PdfFile
{
public:
    PdfFile();
    ~PdfFile();
    bool open(const QString &path, const PageSetup &setup, QString *error);
    // The device must outlive the pages; its layout and resolution are the caller's.
    bool open(QPagedPaintDevice &device, const PageSetup &setup, QString *error);
    bool addPage(const Certificate &c, QString *error);
    bool addPage(const std::vector<FieldContent> &fields, QString *error);
    // The test page (drawTestPage, moved by the offset, and drawRulers).
    bool addTestPage(const std::vector<FieldContent> &fields, QString *error);
    // A page of another document (a list, a form): drawn in device pixels
    // from the printable area's corner, not moved by the printer's offset.
    using Drawing = std::function<void(QPainter &p, double dpiX, double dpiY)>;
    bool addDrawing(const Drawing &drawing, QString *error);
    // Writes the file; false and *error when it could not be.
    bool commit(QString *error);
    int pageCount() const { return m_pages; }

private:
    bool beginPage(QString *error);
    using Painting = std::function<void(double dpiX, double dpiY)>;
    // A page: `fixed` from the printable area's corner, then `moved` shifted by the printer's offset.
    bool draw(const Painting &moved, const Painting &fixed, QString *error);

    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QPdfWriter> m_writer;
    QPagedPaintDevice *m_device = nullptr; // m_writer, or a printer
    std::unique_ptr<QPainter> m_painter;
    QString m_path;
    QPointF m_offsetMm;
    int m_pages = 0;
};

// Draws page `index` (0-based) of a document of many into the PDF.
using PageWriter = std::function<bool(PdfFile &pdf, int index, QString *error)>;

// One page to a PDF file.
bool writePdf(const QString &path, const PageSetup &setup, const std::vector<FieldContent> &fields,
              QString *error);

} // namespace gravik::page
