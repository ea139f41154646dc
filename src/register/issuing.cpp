#include "register/issuing.h"

namespace gravik::blanks {

std::vector<PrintedPage> classPages(const Certificate &base, const std::vector<pupils::StudentRecord> &pupils)
{
    std::vector<PrintedPage> out;
    out.reserve(pupils.size());
    for (const pupils::StudentRecord &r : pupils) {
        Certificate c = base;
        pupils::applyRecord(c, r);
        out.push_back(printedPage(page::contents(c)));
    }
    return out;
}

Issue printOnBlanks(Register &reg, const std::vector<PrintedPage> &pages, const std::optional<BlankNumber> &start,
                    const std::function<printing::Outcome()> &print)
{
    Issue issue;
    QString error;
    if (!reg.use(&error)) {
        issue.out.error = error;
        return issue;
    }
    if (!reg.freeBlanks(start, int(pages.size()), &error)) {
        issue.out.error = error;
        return issue;
    }
    issue.out = print();
    if (!issue.out.ok)
        return issue;
    // Without a start the blanks are those next when recording: another
    // writer that printed meanwhile has taken the ones before them.
    auto used = reg.record(pages, issue.out.printer, issue.out.job, start, &error);
    if (used)
        issue.blanks = std::move(*used);
    else
        issue.notRecorded = error;
    return issue;
}

QString blanksText(const std::vector<BlankNumber> &blanks)
{
    QStringList runs;
    for (size_t i = 0; i < blanks.size();) {
        size_t j = i;
        while (j + 1 < blanks.size() && blanks[j + 1].series == blanks[i].series &&
               blanks[j + 1].value() == blanks[j].value() + 1)
            ++j;
        runs << runText(blanks[i], blanks[j]);
        i = j + 1;
    }
    return runs.join(QStringLiteral(", "));
}

} // namespace gravik::blanks
