#include "core/pagerenderer.h"

#include <QDir>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
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

void render(QPainter &p, const Certificate &c, double dpiX, double dpiY)
{
    drawPage(p, contents(c), dpiX, dpiY);
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
    m_painter = std::make_unique<QPainter>();
    return true;
}

bool PdfFile::beginPage(QString *error)
{
    if (!m_writer)
        return fail(error, QStringLiteral("файл PDF не открыт"));
    if (m_pages == 0) {
        if (!m_painter->begin(m_writer.get()))
            return fail(error, QStringLiteral("не удалось начать страницу"));
    } else if (!m_writer->newPage()) {
        return fail(error, QStringLiteral("не удалось начать страницу %1").arg(m_pages + 1));
    }
    ++m_pages;
    return true;
}

bool PdfFile::addPage(const std::vector<FieldContent> &fields, QString *error)
{
    if (!beginPage(error))
        return false;
    // The painter's origin is the corner of the paint rectangle, which the
    // layout's margins make the printable area.
    drawPage(*m_painter, fields, m_writer->logicalDpiX(), m_writer->logicalDpiY());
    return true;
}

bool PdfFile::addPage(const Certificate &c, QString *error)
{
    return addPage(contents(c), error);
}

bool PdfFile::commit(QString *error)
{
    if (!m_file)
        return fail(error, QStringLiteral("файл PDF не открыт"));
    if (m_pages == 0 && !beginPage(error)) // an empty class still makes a valid file
        return false;
    if (!m_painter->end())
        return fail(error, QStringLiteral("%1: не удалось завершить страницу").arg(QDir::toNativeSeparators(m_path)));
    m_writer.reset();
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
