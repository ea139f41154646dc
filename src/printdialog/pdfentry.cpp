#include "printdialog/pdfentry.h"

#include "language/outputcaptions.h"
#include "printing/printjob.h"
#include "printdialog/printdialog.h"
#include "widgets/hoverrouter.h"
#include "widgets/imagebutton.h"
#include "widgets/dialogs.h"

#include <QDir>

namespace gravik {

void attachPdfEntry(PrintDialog &dialog)
{
    auto *pdf = new ImageButton(QStringLiteral("Image7"), QStringLiteral("pdf"), &dialog);
    pdf->placeAt(4080, 1440);
    using Pic = HoverRule::Picture;
    new HoverRouter(&dialog, {{"Image7", {{"Image7", Pic::Highlighted}}},
                              {"Image1", {{"Image7", Pic::Normal}}},
                              {"Image4", {{"Image7", Pic::Normal}}},
                              {"Print1", {{"Image7", Pic::Normal}}}});
    auto caption = [pdf](const QString &code) {
        pdf->setToolTip(i18n::outputCaption(i18n::OutputCaption::PdfTip, code));
    };
    caption(dialog.languageCode().shown());
    QObject::connect(&dialog.languageCode(), &LanguageCode::shownChanged, pdf, caption);
    QObject::connect(pdf, &ImageButton::clicked, &dialog, [&dialog] {
        const QString code = dialog.languageCode().shown();
        const QString path = choosePdfFile(&dialog, i18n::outputCaption(i18n::OutputCaption::PdfTip, code));
        if (path.isEmpty())
            return;
        const Certificate c = dialog.document().certificate();
        QString error;
        if (printing::writePages(path, printing::pdfSetup(), 1,
                                 [&c](page::PdfFile &f, int, QString *e) { return f.addPage(c, e); }, {}, &error))
            inform(&dialog, i18n::outputCaption(i18n::OutputCaption::PdfSaved, code).arg(QDir::toNativeSeparators(path)));
        else
            inform(&dialog, i18n::outputCaption(i18n::OutputCaption::PdfNotSaved, code).arg(error));
    });
}

} // namespace gravik
