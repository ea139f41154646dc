#pragma once

namespace gravik {

class PrintDialog;

// The print dialog's "save as PDF" button: the dialog's certificate to a
// PDF file chosen in a file dialog, as the printer would receive it.
void attachPdfEntry(PrintDialog &dialog);

} // namespace gravik
