#include "widgets/pagepreview.h"

#include "core/pagerenderer.h"
#include "language/outputcaptions.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace gravik {

using i18n::OutputCaption;
using i18n::outputCaption;

PagePreview::PagePreview(int count, PageSource page, const QString &accept, const QString &code, QWidget *parent)
    : QDialog(parent), m_count(count), m_source(std::move(page)), m_code(code)
{
    setObjectName(QStringLiteral("PagePreview"));
    setWindowTitle(outputCaption(OutputCaption::PreviewTitle, code));
    auto *buttons = new QDialogButtonBox(this);
    m_previous = new QPushButton(outputCaption(OutputCaption::Previous, code), this);
    m_previous->setObjectName(QStringLiteral("previous"));
    m_next = new QPushButton(outputCaption(OutputCaption::Next, code), this);
    m_next->setObjectName(QStringLiteral("next"));
    m_counter = new QLabel(this);
    QPushButton *go = buttons->addButton(accept, QDialogButtonBox::AcceptRole);
    go->setObjectName(QStringLiteral("accept"));
    buttons->addButton(outputCaption(OutputCaption::Cancel, code), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(m_page - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { showPage(m_page + 1); });

    auto *row = new QHBoxLayout;
    row->addWidget(m_previous);
    row->addWidget(m_counter, 1, Qt::AlignCenter);
    row->addWidget(m_next);
    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1); // the sheet is painted above the controls
    layout->addLayout(row);
    layout->addWidget(buttons);
    // A4 at 60 % of its size on screen, whatever the screen's resolution.
    const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Inch);
    resize(qRound(a4.width() * logicalDpiX() * 0.6), qRound(a4.height() * logicalDpiY() * 0.6) + 90);
    go->setDefault(true);
    showPage(0);
}

void PagePreview::showPage(int index)
{
    if (m_count == 0)
        return;
    m_page = std::clamp(index, 0, m_count - 1);
    // Drawn at a paper-like resolution and shown scaled: the renderer takes
    // its font sizes from the device, so the text is laid out as on paper.
    constexpr int dpi = 150;
    const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Inch);
    m_image = QImage(qRound(a4.width() * dpi), qRound(a4.height() * dpi), QImage::Format_RGB32);
    m_image.setDotsPerMeterX(qRound(dpi / 0.0254));
    m_image.setDotsPerMeterY(qRound(dpi / 0.0254));
    m_image.fill(Qt::white);
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    page::render(painter, m_source(m_page), dpi, dpi);
    m_counter->setText(outputCaption(OutputCaption::PageOf, m_code).arg(m_page + 1).arg(m_count));
    m_previous->setEnabled(m_page > 0);
    m_next->setEnabled(m_page + 1 < m_count);
    update();
}

QRect PagePreview::sheetRect() const
{
    const int bottom = m_counter->geometry().top() - 8;
    const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Point);
    const double scale = std::min((width() - 16) / a4.width(), (bottom - 8) / a4.height());
    const QSize s(qRound(a4.width() * scale), qRound(a4.height() * scale));
    return QRect(QPoint((width() - s.width()) / 2, 8), s);
}

void PagePreview::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect sheet = sheetRect();
    p.fillRect(sheet, Qt::white);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_image.isNull())
        p.drawImage(QRectF(sheet), m_image);
    p.setPen(Qt::gray);
    p.drawRect(sheet.adjusted(0, 0, -1, -1));
}

} // namespace gravik
