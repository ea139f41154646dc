#pragma once

#include "core/certificate.h"
#include "language/languagecode.h"
#include "printing/pageoutput.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QLabel;

namespace gravik {

class ImageButton;
class PageEditor;
class WindowRegistry;

// The print dialog "Print1": shows whose certificate is about to be printed
// and sends the document's page to the default printer. Modeless; Cancel
// hides it, its close box destroys it.
class PrintDialog : public QWidget
{
    Q_OBJECT
public:
    // Prints the page; the default sends it to the system's default printer.
    using PagePrinter =
        std::function<printing::Outcome(const std::vector<page::FieldContent> &, const QString &title)>;

    // editor: the window the page is edited in; a failure is told over owner.
    PrintDialog(const CertificateDocument &doc, PageEditor &editor, QWidget *owner, PagePrinter printer = {});

    // Creation step: line 1 of data/lang.txt into the language code.
    void creationStep();

    // Takes the pupil's name and registration number from the document; they
    // are not followed afterwards.
    void fill();

    // The page output (Image1). False when it failed; the dialog is then hidden
    // and a message names the printer and the error.
    bool printPage();

    // Image4: hides the dialog, keeping it and its texts.
    void cancel();

    LanguageCode &languageCode() { return m_language; }
    const CertificateDocument &document() const { return m_doc; }
    QLabel *nameLabel() const { return m_name; }
    QLabel *numberLabel() const { return m_number; }
    ImageButton *button(const QString &name) const;

    // The job title the page goes out under.
    QString jobTitle() const;

    const printing::Outcome &lastOutcome() const { return m_last; }

    // The failure path of a page that did not print: hides the dialog and says
    // which printer failed and why.
    void reportFailure(const printing::Outcome &outcome);

private:
    const CertificateDocument &m_doc;
    PageEditor &m_editor;
    QPointer<QWidget> m_owner;
    PagePrinter m_printer;
    LanguageCode m_language{this};
    QLabel *m_name = nullptr;
    QLabel *m_number = nullptr;
    printing::Outcome m_last;
};

// Registers the dialog with the registry and fills it on every click of the
// print button, before the button shows it. Call before the button's own
// connection to the registry, which shows the window.
void registerPrintDialog(WindowRegistry &registry, const CertificateDocument &doc, PageEditor &editor,
                         QAbstractButton &printButton, PrintDialog::PagePrinter printer = {});

} // namespace gravik
