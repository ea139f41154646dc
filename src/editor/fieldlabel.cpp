#include "editor/fieldlabel.h"

#include "core/twips.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace gravik {

FieldLabel::FieldLabel(int number, QWidget *parent) : QWidget(parent), m_number(number)
{
    setObjectName(certificateField(number).labelName());
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    relayout();
}

void FieldLabel::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    if (certificateField(m_number).box == CertificateField::Box::Fitted)
        relayout();
    update();
}

void FieldLabel::setColor(const QColor &c)
{
    if (c == m_color)
        return;
    m_color = c;
    update();
}

void FieldLabel::setLeftTwips(double x)
{
    m_x = x;
    move(twips::toPixels(x, twips::screenDpiX()), y());
}

void FieldLabel::setTopTwips(double y)
{
    m_y = y;
    move(x(), twips::toPixels(y, twips::screenDpiY()));
}

void FieldLabel::relayout()
{
    const CertificateField &f = certificateField(m_number);
    const double dx = twips::screenDpiX(), dy = twips::screenDpiY();
    const QFontMetricsF fm(font(), this);
    const QRectF box = page::boxTwips(f, m_x, m_y, twips::fromDevice(fm.horizontalAdvance(page::shownText(f, m_text)), dx),
                                      twips::fromDevice(fm.height(), dy));
    resize(std::max(0, int(std::ceil(twips::toDevice(box.width(), dx)))),
           int(std::ceil(twips::toDevice(box.height(), dy))));
}

void FieldLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    page::drawFieldText(p, QRectF(rect()), certificateField(m_number), m_text, font(), m_color);
}

// A click is a press and a release on the label.
void FieldLabel::mousePressEvent(QMouseEvent *e)
{
    e->accept();
}

void FieldLabel::mouseReleaseEvent(QMouseEvent *e)
{
    e->accept();
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked(m_number);
}

void FieldLabel::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange)
        relayout();
    QWidget::changeEvent(e);
}

} // namespace gravik
