#pragma once

#include <QString>

#include <functional>
#include <optional>

class QCoreApplication;
class QWidget;

namespace gravik {

class PagePreview;

// Every standard dialog the program shows is asked through here: the program
// uses the standard boxes, tests put their own answers in. A parent that is
// not shown is not used, so a box of a hidden window still comes up.
struct Dialogs {
    enum class Icon { Information, Warning, Critical };
    // A message with an OK button only.
    std::function<void(QWidget *parent, Icon icon, const QString &title, const QString &text)> message;
    // A question with two answers and no way to close it unanswered; true for
    // the first answer.
    std::function<bool(QWidget *parent, const QString &title, const QString &text, const QString &yes,
                       const QString &no)>
        question;
    // The file chosen to read or to write; empty when none was chosen.
    std::function<QString(QWidget *parent, const QString &caption, const QString &directory, const QString &filter)>
        openFile, saveFile;
    // A line of text asked for, with a first suggestion; nullopt when cancelled.
    std::function<std::optional<QString>(QWidget *parent, const QString &title, const QString &label,
                                         const QString &text)>
        text;
    // Shows a page preview; whether to go on.
    std::function<bool(PagePreview &preview)> preview;

    static Dialogs standard();
    static Dialogs &current();
};

// Qt's own texts of the standard dialogs (their buttons, the file dialog, the
// print preview) in Russian, whichever interface language is chosen: Qt has
// no Kazakh ones. False when they are not installed: they stay in English.
bool useRussianStandardDialogs(QCoreApplication &app);

// A message that something was done, titled with the program's name.
void inform(QWidget *parent, const QString &text);

// The PDF file to write, ".pdf" added when the name has none; empty when
// none was chosen.
QString choosePdfFile(QWidget *parent, const QString &caption);

} // namespace gravik
