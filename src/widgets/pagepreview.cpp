#include "widgets/pagepreview.h"

#include "core/pagerenderer.h"
#include "language/addedcaptions.h"
#include "language/outputcaptions.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace gravik {

using i18n::OutputCaption;
using i18n::outputCaption;

namespace {

const QSizeF kA4Inch = QPageSize(QPageSize::A4).size(QPageSize::Inch);
constexpr double kMaxZoom = 4;
constexpr double kZoomStep = 1.25;
// Never drawn coarser than this, so small text stays legible when scaled down.
constexpr double kLeastDpi = 150;

const i18n::CaptionPair kZoomIn = {"Крупнее (Ctrl++)", "Үлкейту (Ctrl++)"};
const i18n::CaptionPair kZoomOut = {"Мельче (Ctrl+-)", "Кішірейту (Ctrl+-)"};

} // namespace

PagePreview::PagePreview(int count, PageSource page, const QString &accept, const QString &code, QWidget *parent)
    : QDialog(parent), m_count(count), m_source(std::move(page)), m_code(code)
{
    setObjectName(QStringLiteral("PagePreview"));
    setWindowTitle(outputCaption(OutputCaption::PreviewTitle, code));
    m_scroll = new QScrollArea(this);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_sheet = new QWidget;
    m_sheet->setObjectName(QStringLiteral("sheet"));
    m_scroll->setWidget(m_sheet);
    m_sheet->installEventFilter(this);
    m_scroll->viewport()->installEventFilter(this);

    auto *buttons = new QDialogButtonBox(this);
    m_previous = new QPushButton(outputCaption(OutputCaption::Previous, code), this);
    m_previous->setObjectName(QStringLiteral("previous"));
    m_previous->setToolTip(QStringLiteral("PageUp"));
    m_next = new QPushButton(outputCaption(OutputCaption::Next, code), this);
    m_next->setObjectName(QStringLiteral("next"));
    m_next->setToolTip(QStringLiteral("PageDown"));
    auto *zoomOut = new QPushButton(QStringLiteral("−"), this);
    zoomOut->setObjectName(QStringLiteral("zoomOut"));
    zoomOut->setToolTip(i18n::captionIn(kZoomOut, code));
    auto *zoomIn = new QPushButton(QStringLiteral("+"), this);
    zoomIn->setObjectName(QStringLiteral("zoomIn"));
    zoomIn->setToolTip(i18n::captionIn(kZoomIn, code));
    for (QPushButton *b : {m_previous, m_next, zoomOut, zoomIn})
        b->setAutoDefault(false); // Return goes on, whichever of them was clicked
    m_counter = new QLabel(this);
    QPushButton *go = buttons->addButton(accept, QDialogButtonBox::AcceptRole);
    go->setObjectName(QStringLiteral("accept"));
    buttons->addButton(outputCaption(OutputCaption::Cancel, code), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(m_page - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { showPage(m_page + 1); });
    connect(zoomIn, &QPushButton::clicked, this, [this] { setZoom(m_zoom * kZoomStep); });
    connect(zoomOut, &QPushButton::clicked, this, [this] { setZoom(m_zoom / kZoomStep); });
    // Shortcuts, so the scroll area with the keyboard does not take the page keys.
    const std::pair<QKeySequence, std::function<void()>> keys[] = {
        {QKeySequence(Qt::Key_PageUp), [this] { showPage(m_page - 1); }},
        {QKeySequence(Qt::Key_PageDown), [this] { showPage(m_page + 1); }},
        {QKeySequence::ZoomIn, [this] { setZoom(m_zoom * kZoomStep); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { setZoom(m_zoom * kZoomStep); }},
        {QKeySequence::ZoomOut, [this] { setZoom(m_zoom / kZoomStep); }},
        {QKeySequence(Qt::CTRL | Qt::Key_0), [this] { setZoom(1); }},
    };
    for (const auto &[key, act] : keys)
        connect(new QShortcut(key, this), &QShortcut::activated, this, act);

    auto *row = new QHBoxLayout;
    row->addWidget(m_previous);
    row->addWidget(zoomOut);
    row->addWidget(m_counter, 1, Qt::AlignCenter);
    row->addWidget(zoomIn);
    row->addWidget(m_next);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_scroll, 1);
    layout->addLayout(row);
    layout->addWidget(buttons);

    // A4 at 60 % of its size, whatever the screen's resolution, within nine
    // tenths of the screen's free room: the window manager's title bar and
    // frame come on top, and the buttons must stay on the screen.
    const int controls = row->sizeHint().height() + buttons->sizeHint().height() + 2 * layout->spacing() +
                         layout->contentsMargins().top() + layout->contentsMargins().bottom();
    QSize size(qRound(kA4Inch.width() * logicalDpiX() * 0.6), qRound(kA4Inch.height() * logicalDpiY() * 0.6) + controls);
    if (const QScreen *s = parent ? parent->screen() : screen())
        size = size.boundedTo(s->availableGeometry().size() * 0.9);
    resize(size);
    go->setDefault(true);
    showPage(0);
}

void PagePreview::showPage(int index)
{
    if (m_count == 0)
        return;
    m_page = std::clamp(index, 0, m_count - 1);
    m_image = QImage();
    render();
    m_counter->setText(outputCaption(OutputCaption::PageOf, m_code).arg(m_page + 1).arg(m_count));
    m_previous->setEnabled(m_page > 0);
    m_next->setEnabled(m_page + 1 < m_count);
}

void PagePreview::setZoom(double zoom)
{
    m_zoom = std::clamp(zoom, 1.0, kMaxZoom);
    // Keep the middle of what was seen in the middle.
    QScrollBar *h = m_scroll->horizontalScrollBar(), *v = m_scroll->verticalScrollBar();
    const double fx = h->maximum() > 0 ? double(h->value() + h->pageStep() / 2) / (h->maximum() + h->pageStep()) : 0.5;
    const double fy = v->maximum() > 0 ? double(v->value() + v->pageStep() / 2) / (v->maximum() + v->pageStep()) : 0.5;
    placeSheet();
    h->setValue(qRound(fx * (h->maximum() + h->pageStep()) - h->pageStep() / 2.0));
    v->setValue(qRound(fy * (v->maximum() + v->pageStep()) - v->pageStep() / 2.0));
}

void PagePreview::placeSheet()
{
    // At zoom 1 the whole sheet fits the room the scroll area has.
    const QSize room = m_scroll->maximumViewportSize() - QSize(2, 2);
    const double fit = std::max(0.0, std::min(room.width() / kA4Inch.width(), room.height() / kA4Inch.height()));
    const QSize s(qRound(kA4Inch.width() * fit * m_zoom), qRound(kA4Inch.height() * fit * m_zoom));
    if (s != m_sheet->size())
        m_sheet->resize(s);
    render();
}

void PagePreview::render()
{
    if (m_count == 0 || m_sheet->width() <= 0)
        return;
    // Drawn at the resolution it is shown at (paper-like at least): the
    // renderer takes its font sizes from the device, so the text is laid out
    // as on paper. A smaller sheet scales the picture down; a larger one
    // draws it again.
    const double shownDpi = m_sheet->width() * m_sheet->devicePixelRatioF() / kA4Inch.width();
    const double dpi = std::max(kLeastDpi, std::ceil(shownDpi));
    if (!m_image.isNull() && m_image.dotsPerMeterX() >= qRound(dpi / 0.0254)) {
        m_sheet->update();
        return;
    }
    m_image = QImage(qRound(kA4Inch.width() * dpi), qRound(kA4Inch.height() * dpi), QImage::Format_RGB32);
    m_image.setDotsPerMeterX(qRound(dpi / 0.0254));
    m_image.setDotsPerMeterY(qRound(dpi / 0.0254));
    m_image.fill(Qt::white);
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    page::render(painter, m_source(m_page), dpi, dpi);
    m_sheet->update();
}

bool PagePreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_scroll->viewport()) {
        if (event->type() == QEvent::Resize)
            placeSheet();
        if (event->type() == QEvent::Wheel) {
            const auto *w = static_cast<QWheelEvent *>(event);
            if (w->modifiers() & Qt::ControlModifier) {
                if (w->angleDelta().y() != 0)
                    setZoom(w->angleDelta().y() > 0 ? m_zoom * kZoomStep : m_zoom / kZoomStep);
                return true;
            }
        }
    } else if (watched == m_sheet && event->type() == QEvent::Paint) {
        QPainter p(m_sheet);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.fillRect(m_sheet->rect(), Qt::white);
        if (!m_image.isNull())
            p.drawImage(QRectF(m_sheet->rect()), m_image);
        p.setPen(Qt::gray);
        p.drawRect(m_sheet->rect().adjusted(0, 0, -1, -1));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace gravik
