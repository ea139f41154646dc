#include "students/classprint.h"

#include "database/workbookmodel.h"
#include "core/certificate.h"
#include "language/outputcaptions.h"
#include "register/issuing.h"
#include "students/studentdatabasewindow.h"
#include "students/spreadsheetview.h"
#include "widgets/hoverrouter.h"
#include "widgets/imagebutton.h"
#include "widgets/dialogs.h"
#include "widgets/notices.h"
#include "widgets/pagepreview.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QProgressDialog>

#include <set>

namespace gravik {

using i18n::OutputCaption;
using i18n::outputCaption;

QString certificatesText(int n, bool *singular)
{
    const int tens = n % 100, units = n % 10;
    const bool one = units == 1 && tens != 11;
    if (singular)
        *singular = one;
    const char *word = one ? "аттестат"
                       : units >= 2 && units <= 4 && (tens < 12 || tens > 14) ? "аттестата"
                                                                              : "аттестатов";
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(word));
}

ClassPrint::ClassPrint(StudentDatabaseWindow &baza, const CertificateDocument &doc, blanks::Register &reg)
    : QObject(&baza), m_window(baza), m_doc(doc), m_register(reg)
{
    // Beside Save and Import.
    m_print = new ImageButton(QStringLiteral("Image7"), QStringLiteral("classprint"), &baza);
    m_print->placeAt(1440, 120);
    m_pdf = new ImageButton(QStringLiteral("Image8"), QStringLiteral("pdf"), &baza);
    m_pdf->placeAt(2040, 120);
    connect(m_print, &ImageButton::clicked, this, &ClassPrint::printClass);
    connect(m_pdf, &ImageButton::clicked, this, &ClassPrint::saveClass);
    using Pic = HoverRule::Picture;
    const std::vector<std::pair<QString, Pic>> neither = {{"Image7", Pic::Normal}, {"Image8", Pic::Normal}};
    new HoverRouter(&baza, {{"Image7", {{"Image7", Pic::Highlighted}, {"Image8", Pic::Normal}}},
                            {"Image8", {{"Image7", Pic::Normal}, {"Image8", Pic::Highlighted}}},
                            {"Image1", neither}, {"Image2", neither}, {"Baza", neither}});
    applyLanguage(baza.languageCode().shown());
    connect(&baza.languageCode(), &LanguageCode::shownChanged, this, &ClassPrint::applyLanguage);
}

ClassPrint::Printer &ClassPrint::printer()
{
    static Printer p = [](int count, const printing::PageWriter &write, const QString &title,
                          const printing::Progress &progress) {
        return printing::printPages(QString(), count, write, title, progress);
    };
    return p;
}

ClassPrint *ClassPrint::attach(StudentDatabaseWindow &baza, const CertificateDocument &doc, blanks::Register &reg)
{
    return new ClassPrint(baza, doc, reg);
}

void ClassPrint::applyLanguage(const QString &code)
{
    m_print->setToolTip(outputCaption(OutputCaption::ClassPrintTip, code));
    m_pdf->setToolTip(outputCaption(OutputCaption::ClassPdfTip, code));
}

std::vector<pupils::StudentRecord> ClassPrint::classPupils(bool *fromSelection) const
{
    const Worksheet &sheet = m_window.model()->activeSheet();
    std::set<int> rows; // every row the operator highlighted a cell of
    if (const QItemSelectionModel *s = m_window.spreadsheet()->selectionModel())
        for (const QItemSelectionRange &range : s->selection())
            for (int row = range.top(); row <= range.bottom(); ++row)
                rows.insert(row + 1);
    if (fromSelection)
        *fromSelection = !rows.empty();
    if (rows.empty())
        return pupils::listedPupils(sheet);
    std::vector<pupils::StudentRecord> out;
    for (int row : rows)
        for (auto &r : pupils::rowRange(sheet, row, row))
            out.push_back(std::move(r));
    return out;
}

bool ClassPrint::run(bool toPdf)
{
    const QString code = m_window.languageCode().shown();
    m_window.spreadsheet()->commitEdit(); // what is being typed is part of the class
    bool selected = false;
    const auto records = classPupils(&selected);
    if (records.empty()) {
        inform(&m_window, outputCaption(selected ? OutputCaption::NoPupilsSelected : OutputCaption::NoPupils, code));
        return false;
    }
    // A copy: the main window keeps what the operator typed.
    const Certificate base = m_doc.certificate();
    const int count = int(records.size());
    PagePreview preview(
        count,
        [&](int i) {
            Certificate c = base;
            pupils::applyRecord(c, records[size_t(i)]);
            return c;
        },
        outputCaption(toPdf ? OutputCaption::Save : OutputCaption::Print, code), code, &m_window);
    if (!Dialogs::current().preview(preview))
        return false;
    QString path;
    if (toPdf && (path = choosePdfFile(&m_window, outputCaption(OutputCaption::ClassPdfTip, code))).isEmpty())
        return false;

    QProgressDialog progress(outputCaption(OutputCaption::Making, code), outputCaption(OutputCaption::Cancel, code), 0,
                             count, &m_window);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    const printing::Progress told = [&](int made, int) {
        progress.setValue(made);
        emit pageMade(made, &progress);
        return !progress.wasCanceled();
    };
    const auto write = pupils::classPages(base, records);
    bool one = false;
    const QString russian = certificatesText(count, &one);
    // Kazakh takes the noun's one form after any number.
    const QString what = code == LanguageCode::Kazakh ? QStringLiteral("%1 аттестат").arg(count) : russian;
    if (toPdf) {
        QString error;
        bool cancelled = false;
        if (printing::writePages(path, printing::pdfSetup(), count, write, told, &error, &cancelled))
            inform(&m_window, outputCaption(one ? OutputCaption::ClassSavedOne : OutputCaption::ClassSavedMany, code)
                                  .arg(what, QDir::toNativeSeparators(path)));
        else if (!cancelled)
            inform(&m_window, outputCaption(OutputCaption::ClassNotSaved, code).arg(error));
        return !cancelled;
    }
    const blanks::Issue issue = blanks::printOnBlanks(m_register, blanks::classPages(base, records), std::nullopt, [&] {
        return printer()(count, write, QStringLiteral("Аттестаты: %1").arg(russian), told);
    });
    const printing::Outcome &out = issue.out;
    if (!issue.notRecorded.isEmpty())
        notices::warning(&m_window, QStringLiteral("Задание %1 отправлено на принтер «%2», но не записано в журнал "
                                                   "бланков: %3")
                                        .arg(out.job)
                                        .arg(out.printer, issue.notRecorded));
    else if (out.ok)
        inform(&m_window, outputCaption(one ? OutputCaption::ClassSentOne : OutputCaption::ClassSentMany, code)
                              .arg(what, out.printer, blanks::blanksText(issue.blanks)));
    else if (!out.cancelled)
        inform(&m_window, out.printer.isEmpty()
                              ? outputCaption(OutputCaption::ClassNotPrinted, code).arg(out.error)
                              : outputCaption(OutputCaption::ClassNotPrintedOn, code).arg(out.printer, out.error));
    return !out.cancelled;
}

void ClassPrint::printClass() { run(false); }
void ClassPrint::saveClass() { run(true); }

} // namespace gravik
