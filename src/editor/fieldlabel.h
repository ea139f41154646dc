#pragma once

#include "core/pagelayout.h"

#include <QColor>
#include <QWidget>

namespace gravik {

// One printed field on the page preview ("Label<N>"). It draws itself with the
// same code as the printed page; its box comes from the field's twip geometry.
class FieldLabel : public QWidget
{
    Q_OBJECT
public:
    FieldLabel(int number, QWidget *parent);

    int number() const { return m_number; }
    const QString &text() const { return m_text; }
    void setText(const QString &text);

    QColor color() const { return m_color; }
    void setColor(const QColor &c);

    double xTwips() const { return m_x; }
    double yTwips() const { return m_y; }
    void setLeftTwips(double x);
    void setTopTwips(double y);

signals:
    void clicked(int number);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void relayout();

    int m_number;
    QString m_text;
    QColor m_color;
    double m_x = 0;
    double m_y = 0;
};

} // namespace gravik
