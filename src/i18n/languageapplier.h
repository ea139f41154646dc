#pragma once

#include <QString>

class QObject;
class QWidget;

namespace gravik {

class TranslationTable;

namespace i18n {

// Applies a language code to one window: its rows of the application tables,
// in order, found by the window's object name and the controls' object names.
// A code other than "Rus" and "Kaz" sets nothing. A control the window lacks is
// skipped; grid cells go through the window's writeSheet1Cell(a1Ref, text)
// when it has one. Returns the number of rows set.
int applyToWindow(QWidget *window, const QString &code, const TranslationTable &table);

// The control of a window by object name, not looking into other windows that
// happen to be its children.
QWidget *findControl(QWidget *window, const QString &name);

} // namespace i18n
} // namespace gravik
