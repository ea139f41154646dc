#pragma once

#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <initializer_list>
#include <iterator>

// What the operator does with the mouse and the keys, for widget tests.

// Keys as the operator's fingers make them: each modifier key goes down in
// turn (with those already held), then the key, then the modifiers come up
// again. Without a key the modifiers are pressed and released alone.
inline void pressKeys(QWidget *w, std::initializer_list<Qt::Key> modifiers, Qt::Key key = Qt::Key_unknown)
{
    const auto flag = [](Qt::Key k) -> Qt::KeyboardModifiers {
        switch (k) {
        case Qt::Key_Shift: return Qt::ShiftModifier;
        case Qt::Key_Control: return Qt::ControlModifier;
        case Qt::Key_Alt: return Qt::AltModifier;
        case Qt::Key_Meta: case Qt::Key_Super_L: case Qt::Key_Super_R: return Qt::MetaModifier;
        default: return Qt::NoModifier;
        }
    };
    Qt::KeyboardModifiers held;
    for (Qt::Key m : modifiers) {
        held |= flag(m);
        QTest::keyPress(w, m, held);
    }
    if (key != Qt::Key_unknown)
        QTest::keyClick(w, key, held);
    for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m) {
        QTest::keyRelease(w, *m, held);
        held &= ~flag(*m);
    }
}

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

// A key as the keyboard sends it: each modifier pressed, the key pressed and
// released, the modifiers released, every event to whatever has the keyboard
// at that moment (the key may move the focus). Shift+Tab comes as Key_Backtab.
inline void pressKeys(Qt::Key key, Qt::KeyboardModifiers mods = {}, const QString &text = {})
{
    const std::pair<Qt::Key, Qt::KeyboardModifier> modifiers[] = {
        {Qt::Key_Shift, Qt::ShiftModifier}, {Qt::Key_Control, Qt::ControlModifier}, {Qt::Key_Alt, Qt::AltModifier}};
    auto send = [](bool press, Qt::Key k, Qt::KeyboardModifiers held, const QString &t) {
        if (QWidget *w = QApplication::focusWidget())
            QTest::simulateEvent(w, press, k, held, t, false);
        else
            QFAIL("no widget has the keyboard");
    };
    Qt::KeyboardModifiers held;
    for (const auto &[k, m] : modifiers)
        if (mods & m) {
            send(true, k, held, {});
            held |= m;
        }
    send(true, key, mods, text);
    send(false, key, mods, text);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
        if (mods & it->second) {
            send(false, it->first, held, {});
            held &= ~it->second;
        }
}
