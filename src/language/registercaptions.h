#pragma once

#include <QString>
#include <QStringList>

// Captions of the register of blanks: its window, its printed forms, its
// buttons on other windows. Not in data/languare.txt (whose 114 lines stay as
// they are): both languages are here.
namespace gravik::i18n {

enum class RegisterCaption {
    Title,        // the window's title and the buttons' tooltip
    NextBlank,    // "Следующий бланк:"
    SetNext,
    From,
    To,
    AllStates,
    Issued,
    Spoiled,
    WrittenOff,
    Search,
    Gaps,         // "%1": the missing blanks
    NoGaps,
    Spoil,
    Restore,
    WriteOff,
    PrintBook,
    BookPdf,
    PrintAct,
    ActPdf,
    ExportCsv,
    BookTitle,
    ActTitle,
    Reason,
    BlankPrompt,  // the write-off's question for the blank
    DialogBlank,  // the print dialog's "Бланк: %1"
    DialogNoBlank,
};

QString registerCaption(RegisterCaption which, const QString &code);

// The table's column headers; the book's and the act's; the three states.
QStringList registerColumns(const QString &code);
QStringList bookColumns(const QString &code);
QStringList actColumns(const QString &code);
QStringList stateNames(const QString &code);

} // namespace gravik::i18n
