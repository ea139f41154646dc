#pragma once

#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

// What the operator does with the mouse, for widget tests.

// A click into the text part of a box; the widget that has the keyboard afterwards.
inline QWidget *clickIntoText(QWidget *box)
{
    const QPoint at(box->width() / 4, box->height() / 2);
    QWidget *target = box->childAt(at);
    if (!target)
        target = box;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(box, at));
    return QApplication::focusWidget();
}

// The centre of a part of a scroll bar (an arrow, the track beside the thumb,
// the thumb) as the style draws it.
inline QPoint scrollBarPart(QScrollBar *bar, QStyle::SubControl part)
{
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.subControls = QStyle::SC_All;
    opt.orientation = bar->orientation();
    if (bar->orientation() == Qt::Horizontal)
        opt.state |= QStyle::State_Horizontal;
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar).center();
}
