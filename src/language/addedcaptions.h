#pragma once

#include <QString>

// Captions the program added to the Parts' interface: not in
// data/languare.txt (whose 114 lines stay as they are), so both languages
// are kept beside the code that shows them.
namespace gravik::i18n {

struct CaptionPair {
    const char *russian, *kazakh;
};

// The Kazakh caption for "Kaz", the Russian one for "Rus" and anything that
// selects no language.
QString captionIn(const CaptionPair &pair, const QString &code);

} // namespace gravik::i18n
