#pragma once

#include "database/pupils.h"
#include "printing/printjob.h"

#include <QObject>

#include <functional>
#include <vector>

class QProgressDialog;

namespace gravik {

class CertificateDocument;
class StudentDatabaseWindow;
class ImageButton;
namespace blanks {
class Register;
}

// The database window's class print and class PDF buttons: the current
// certificate once for each pupil (the selected grid rows, or every pupil
// the chooser lists), previewed, then one print job or one PDF. The main
// window's boxes are not touched.
class ClassPrint : public QObject
{
    Q_OBJECT
public:
    // Sends the pages to the default printer as one job; tests put their own in.
    using Printer = std::function<printing::Outcome(int count, const printing::PageWriter &write, const QString &title,
                                                    const printing::Progress &progress)>;
    static Printer &printer();

    // Pages to a printer go onto the register's next blanks.
    static ClassPrint *attach(StudentDatabaseWindow &baza, const CertificateDocument &doc, blanks::Register &reg);

    // The pupils a class print takes now: the rows of the highlighted cells
    // (*fromSelection true), else the whole list.
    std::vector<pupils::StudentRecord> classPupils(bool *fromSelection = nullptr) const;

    void printClass();
    void saveClass();

signals:
    // After each page is drawn (tests cancel in the middle).
    void pageMade(int made, QProgressDialog *progress);

private:
    ClassPrint(StudentDatabaseWindow &baza, const CertificateDocument &doc, blanks::Register &reg);
    void applyLanguage(const QString &code);
    // Preview, then progress; false when the operator stopped before the end.
    bool run(bool toPdf);

    StudentDatabaseWindow &m_window;
    const CertificateDocument &m_doc;
    blanks::Register &m_register;
    ImageButton *m_print, *m_pdf;
};

// "3 аттестата" and so on, and whether the verb after it is singular.
QString certificatesText(int n, bool *singular = nullptr);

} // namespace gravik
