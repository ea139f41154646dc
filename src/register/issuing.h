#pragma once

#include "database/pupils.h"
#include "printing/pageoutput.h"
#include "register/blankregister.h"

#include <functional>
#include <optional>
#include <vector>

// Printing onto numbered blanks: a job goes out only when its blanks can be
// taken, and is recorded against them once the printer has accepted it.
namespace gravik::blanks {

// The lines a class print puts on each pupil's page.
std::vector<PrintedPage> classPages(const Certificate &base, const std::vector<pupils::StudentRecord> &pupils);

struct Issue {
    printing::Outcome out;
    std::vector<BlankNumber> blanks; // the blanks recorded, one a page
    // The job went out but could not be recorded: why (the operator must know).
    QString notRecorded;
};

// Checks that the register opens and that the blanks from start (the stored
// next blank when none is given) are still free, then prints with print().
// A job that fails or is refused records nothing and keeps the next blank.
Issue printOnBlanks(Register &reg, const std::vector<PrintedPage> &pages, const std::optional<BlankNumber> &start,
                    const std::function<printing::Outcome()> &print);

// "ЖОБ 0012345–0012347", runs of one series joined by ", ".
QString blanksText(const std::vector<BlankNumber> &blanks);

} // namespace gravik::blanks
