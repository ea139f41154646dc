#pragma once

namespace gravik {

class CertificateWindow;
class PrintDialog;

// The print dialog's "save as PDF" button: the main window's certificate to a
// PDF file chosen in a file dialog, as the printer would receive it.
void attachPdfEntry(PrintDialog &dialog, CertificateWindow &main);

} // namespace gravik
