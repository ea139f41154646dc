#pragma once

#include <QString>

#include <functional>

class QObject;
class QWidget;

namespace gravik {

class TranslationTable;

namespace i18n {

// Applies a language code to one window: its rows of the application tables,
// in order, found by the window's object name and the controls' object names.
// A code other than "Rus" and "Kaz" sets nothing. A control the window lacks is
// skipped; grid cells go to cells (the student database's header cells) when
// there is one. Returns the number of rows set.
using CellWriter = std::function<bool(const QString &a1Ref, const QString &text)>;
int applyToWindow(QWidget *window, const QString &code, const TranslationTable &table,
                  const CellWriter &cells = {});

// Only the grid cells of the rows of the window named windowName.
int applyCells(const QString &windowName, const QString &code, const TranslationTable &table,
               const CellWriter &cells);

// The control of a window by object name, not looking into other windows that
// happen to be its children.
QWidget *findControl(QWidget *window, const QString &name);

} // namespace i18n
} // namespace gravik
