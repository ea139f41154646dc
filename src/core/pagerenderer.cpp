#include "core/pagerenderer.h"

#include "core/twips.h"

#include <QDir>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPalette>
#include <QPdfWriter>
#include <QSaveFile>

namespace gravik::page {

QColor normalColor()
{
    return QGuiApplication::palette().color(QPalette::ButtonText);
}

std::vector<FieldContent> contents(const Certificate &c, const QColor &color)
{
    std::vector<FieldContent> out;
    out.reserve(FieldCount);
    for (int n = 1; n <= FieldCount; ++n) {
        FieldContent f;
        f.number = n;
        f.text = c.fieldText(n);
        // A position that is no number leaves the field at the page's edge, as
        // the preview leaves its label where it was.
        f.xTwips = c.coordinates().number(CoordinateTable::xEntry(n)).value_or(0);
        f.yTwips = c.coordinates().number(CoordinateTable::yEntry(n)).value_or(0);
        f.font = c.font;
        f.color = color;
        out.push_back(std::move(f));
    }
    return out;
}

void drawPage(QPainter &p, const std::vector<FieldContent> &fields, double dpiX, double dpiY)
{
    for (const FieldContent &c : fields)
        drawFieldText(p, deviceBox(p, c, dpiX, dpiY), certificateField(c.number), c.text, c.font,
                      c.color);
}

void render(QPainter &p, const Certificate &c, double dpiX, double dpiY)
{
    drawPage(p, contents(c), dpiX, dpiY);
}

namespace {
QPen thinLine(double dpiX)
{
    QPen pen(Qt::black);
    pen.setWidthF(0.1 / 25.4 * dpiX); // a tenth of a millimetre
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}
} // namespace

void drawTestPage(QPainter &p, const std::vector<FieldContent> &fields, double dpiX, double dpiY)
{
    drawPage(p, fields, dpiX, dpiY);
    const double armX = 1.5 / 25.4 * dpiX, armY = 1.5 / 25.4 * dpiY; // 1.5 mm each way from a corner
    p.save();
    p.setPen(thinLine(dpiX));
    p.setBrush(Qt::NoBrush);
    for (const FieldContent &c : fields) {
        QRectF box = deviceBox(p, c, dpiX, dpiY);
        // An empty fitted box has no width; half an inch shows where its text would start.
        if (box.width() <= 0)
            box.setWidth(dpiX / 2);
        p.drawRect(box);
        for (const QPointF &at : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()}) {
            p.drawLine(QLineF(at.x() - armX, at.y(), at.x() + armX, at.y()));
            p.drawLine(QLineF(at.x(), at.y() - armY, at.x(), at.y() + armY));
        }
    }
    p.restore();
}

void drawRulers(QPainter &p, double dpiX, double dpiY, const QSizeF &printableTwips)
{
    auto mmX = [dpiX](double mm) { return mm / 25.4 * dpiX; };
    auto mmY = [dpiY](double mm) { return mm / 25.4 * dpiY; };
    p.save();
    p.setPen(thinLine(dpiX));
    QFont small(QStringLiteral("Arial"));
    small.setPointSizeF(5);
    p.setFont(small);
    const double widthMm = twips::toDevice(printableTwips.width(), 25.4);
    const double heightMm = twips::toDevice(printableTwips.height(), 25.4);
    // A tick each millimetre, longer each 5, longest and numbered each 10.
    auto tick = [](int mm) { return mm % 10 == 0 ? 3.0 : mm % 5 == 0 ? 2.0 : 1.0; };
    p.drawLine(QLineF(0, 0, mmX(widthMm), 0));
    p.drawLine(QLineF(0, 0, 0, mmY(heightMm)));
    for (int mm = 1; mm <= int(widthMm); ++mm) {
        p.drawLine(QLineF(mmX(mm), 0, mmX(mm), mmY(tick(mm))));
        if (mm % 10 == 0)
            p.drawText(QPointF(mmX(mm + 0.4), mmY(5)), QString::number(mm));
    }
    for (int mm = 1; mm <= int(heightMm); ++mm) {
        p.drawLine(QLineF(0, mmY(mm), mmX(tick(mm)), mmY(mm)));
        if (mm % 10 == 0)
            p.drawText(QPointF(mmX(3.4), mmY(mm + 0.8)), QString::number(mm));
    }
    p.restore();
}

QPageLayout a4Layout(const QMarginsF &unprintable)
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, unprintable, QPageLayout::Point,
                       QMarginsF(0, 0, 0, 0));
}

namespace {
bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

QString writeError(const QString &path, const QString &why)
{
    return QStringLiteral("Не удалось записать файл %1: %2").arg(QDir::toNativeSeparators(path), why);
}
} // namespace

PdfFile::PdfFile() = default;
PdfFile::~PdfFile()
{
    if (m_painter && m_painter->isActive())
        m_painter->end();
    if (m_file)
        m_file->cancelWriting();
}


bool PdfFile::open(const QString &path, const PageSetup &setup, QString *error)
{
    m_path = path;
    m_offsetMm = setup.offsetMm;
    m_pages = 0;
    m_file = std::make_unique<QSaveFile>(path);
    // Unbuffered, as every file we write: buffered, a full disk can go unnoticed.
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(error, writeError(path, m_file->errorString()));
    m_writer = std::make_unique<QPdfWriter>(m_file.get());
    m_writer->setResolution(setup.resolution);
    m_writer->setCreator(QStringLiteral("Gravik"));
    m_writer->setTitle(QStringLiteral("Аттестат"));
    if (!m_writer->setPageLayout(setup.layout))
        return fail(error, QStringLiteral("не удалось разметить лист A4"));
    m_device = m_writer.get();
    m_painter = std::make_unique<QPainter>();
    return true;
}

bool PdfFile::open(QPagedPaintDevice &device, const PageSetup &setup, QString *error)
{
    Q_UNUSED(error);
    m_path.clear();
    m_offsetMm = setup.offsetMm;
    m_pages = 0;
    m_device = &device;
    m_painter = std::make_unique<QPainter>();
    return true;
}

bool PdfFile::beginPage(QString *error)
{
    if (!m_device)
        return fail(error, QStringLiteral("файл PDF не открыт"));
    if (m_pages == 0) {
        if (!m_painter->begin(m_device))
            return fail(error, QStringLiteral("не удалось начать страницу"));
    } else if (!m_device->newPage()) {
        return fail(error, QStringLiteral("не удалось начать страницу %1").arg(m_pages + 1));
    }
    ++m_pages;
    return true;
}

bool PdfFile::draw(const Painting &moved, const Painting &fixed, QString *error)
{
    if (!beginPage(error))
        return false;
    // The painter's origin is the corner of the paint rectangle, which the
    // layout's margins make the printable area; the printer's offset moves
    // the page's content from there.
    const double dpiX = m_device->logicalDpiX(), dpiY = m_device->logicalDpiY();
    if (fixed)
        fixed(dpiX, dpiY);
    m_painter->save();
    m_painter->translate(m_offsetMm.x() / 25.4 * dpiX, m_offsetMm.y() / 25.4 * dpiY);
    moved(dpiX, dpiY);
    m_painter->restore();
    return true;
}

bool PdfFile::addPage(const std::vector<FieldContent> &fields, QString *error)
{
    return draw([&](double dpiX, double dpiY) { drawPage(*m_painter, fields, dpiX, dpiY); }, {}, error);
}

// The rulers mark the printable area itself, so they stay where the printer
// reaches; the certificate and its boxes move with the offset against them.
bool PdfFile::addTestPage(const std::vector<FieldContent> &fields, QString *error)
{
    const QSizeF printable = m_device ? m_device->pageLayout().paintRect(QPageLayout::Point).size() * 20 : QSizeF();
    return draw([&](double dpiX, double dpiY) { drawTestPage(*m_painter, fields, dpiX, dpiY); },
                [&](double dpiX, double dpiY) { drawRulers(*m_painter, dpiX, dpiY, printable); }, error);
}

bool PdfFile::addDrawing(const Drawing &drawing, QString *error)
{
    return draw([](double, double) {}, [&](double dpiX, double dpiY) { drawing(*m_painter, dpiX, dpiY); }, error);
}

bool PdfFile::addPage(const Certificate &c, QString *error)
{
    return addPage(contents(c), error);
}

bool PdfFile::commit(QString *error)
{
    if (!m_device)
        return fail(error, QStringLiteral("файл PDF не открыт"));
    if (m_pages == 0 && !beginPage(error)) // an empty class still makes a valid file
        return false;
    if (!m_painter->end())
        return fail(error, m_file ? QStringLiteral("%1: не удалось завершить страницу").arg(QDir::toNativeSeparators(m_path))
                                  : QStringLiteral("принтер не принял документ"));
    m_device = nullptr;
    m_writer.reset();
    if (!m_file)
        return true;
    if (!m_file->commit()) {
        const QString why = m_file->errorString();
        m_file.reset();
        return fail(error, writeError(m_path, why));
    }
    m_file.reset();
    return true;
}

bool writePdf(const QString &path, const PageSetup &setup, const std::vector<FieldContent> &fields,
              QString *error)
{
    PdfFile pdf;
    return pdf.open(path, setup, error) && pdf.addPage(fields, error) && pdf.commit(error);
}

} // namespace gravik::page
