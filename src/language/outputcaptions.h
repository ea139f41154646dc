#pragma once

#include <QString>

// Captions of the class print, PDF, preview and calibration controls. They are not in
// data/languare.txt (whose 114 lines stay as they are): both languages are here.
namespace gravik::i18n {

enum class OutputCaption {
    ClassPrintTip, // the database window's class print button
    ClassPdfTip,   // the database window's class PDF button
    PdfTip,        // the print dialog's PDF button
    PreviewTitle,
    PageOf,        // "%1" of "%2"
    Previous,
    Next,
    Print,
    Save,
    Cancel,
    Making,        // the progress dialog's text
    TestPageTip,   // the print dialog's test page button
    PrinterOffset, // the print dialog's offset button and the offset window's title
    OffsetPrinter, // the offset window's printer list
    OffsetRight,   // its X box
    OffsetDown,    // its Y box
    NoPupils,      // the class print's and the class PDF's end messages
    ClassSavedOne,
    ClassSavedMany,
    ClassNotSaved,
    ClassSentOne,
    ClassSentMany,
    ClassNotPrinted,
    ClassNotPrintedOn,
    PdfSaved,      // the print dialog's PDF's end messages
    PdfNotSaved,
    PlainPaper,    // the question before the test page
    NoPupilsSelected, // a class print of a selection without pupils
};

// The caption for a language code; the Russian one for "Rus" and anything
// that selects no language.
QString outputCaption(OutputCaption which, const QString &code);

} // namespace gravik::i18n
