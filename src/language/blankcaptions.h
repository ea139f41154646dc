#pragma once

#include <QString>

// Captions of the scanned blank's menu and offset window. Like the output
// captions they are not in data/languare.txt: both languages are here.
namespace gravik::i18n {

enum class BlankCaption {
    Choose,       // menu: choose the picture
    Shown,        // menu: show it under the fields (a check)
    Offset,       // menu: open the offset window
    ChooserTitle,
    Filter,       // the file dialog's filter
    OffsetTitle,
    OffsetRight,
    OffsetDown,
    Close,
};

// The caption for a language code; the Russian one for "Rus" and anything
// that selects no language.
QString blankCaption(BlankCaption which, const QString &code);

} // namespace gravik::i18n
