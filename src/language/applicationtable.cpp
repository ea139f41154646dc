#include "language/applicationtable.h"

#include "language/languagecode.h"

namespace gravik::i18n {

namespace {

enum Suffix { NoSuffix, Version, Telephone };

struct Row {
    const char *window;
    const char *control;
    Target target;
    int ru;
    int kz;
    Suffix suffix = NoSuffix;
};

constexpr Target T = Target::Title;
constexpr Target C = Target::Caption;
constexpr Target Tip = Target::ToolTip;
constexpr Target Cell = Target::Cell;

const Row kRows[] = {
    // Main window: the paired captions of both halves take the same string.
    {"Blankard", "", T, 24, 81},
    {"Blankard", "Label51", C, 1, 58},
    {"Blankard", "Label53", C, 2, 59},
    {"Blankard", "Label52", C, 3, 60},
    {"Blankard", "Check1", C, 4, 61},
    {"Blankard", "Image5", Tip, 17, 74},
    {"Blankard", "Image6", Tip, 18, 75},
    {"Blankard", "Image7", Tip, 19, 76},
    {"Blankard", "Image8", Tip, 20, 77},
    {"Blankard", "Image11", Tip, 21, 78},
    {"Blankard", "Image14", Tip, 22, 79},
    {"Blankard", "Image1", Tip, 23, 80},
    {"Blankard", "Label50", C, 5, 62},
    {"Blankard", "Label34", C, 6, 63},
    {"Blankard", "Label34", Tip, 30, 87},
    {"Blankard", "Label55", C, 7, 64},
    {"Blankard", "Label55", Tip, 31, 88},
    {"Blankard", "Label56", C, 8, 65},
    {"Blankard", "Label56", Tip, 32, 89},
    {"Blankard", "Label35", C, 6, 63},
    {"Blankard", "Label35", Tip, 30, 87},
    {"Blankard", "Label57", C, 7, 64},
    {"Blankard", "Label57", Tip, 31, 88},
    {"Blankard", "Label58", C, 8, 65},
    {"Blankard", "Label58", Tip, 32, 89},
    {"Blankard", "Label37", C, 9, 66},
    {"Blankard", "Label38", C, 10, 67},
    {"Blankard", "Label36", C, 10, 67},
    {"Blankard", "Label42", C, 11, 68},
    {"Blankard", "Label39", C, 11, 68},
    {"Blankard", "Label43", C, 12, 69},
    {"Blankard", "Label40", C, 12, 69},
    {"Blankard", "Label44", C, 13, 70},
    {"Blankard", "Label41", C, 13, 70},
    {"Blankard", "Label45", C, 14, 71},
    {"Blankard", "Label48", C, 14, 71},
    {"Blankard", "Label46", C, 15, 72},
    {"Blankard", "Label49", C, 15, 72},
    {"Blankard", "Label47", C, 16, 73},

    // Database window: two header rows of the grid; B1, C1, E1, F1, H1, I1 stay.
    {"Baza", "", T, 20, 77},
    {"Baza", "A1", Cell, 28, 85},
    {"Baza", "D1", Cell, 29, 86},
    {"Baza", "G1", Cell, 33, 109},
    {"Baza", "A2", Cell, 30, 87},
    {"Baza", "B2", Cell, 31, 88},
    {"Baza", "C2", Cell, 32, 89},
    {"Baza", "D2", Cell, 30, 87},
    {"Baza", "E2", Cell, 31, 88},
    {"Baza", "F2", Cell, 32, 89},
    {"Baza", "G2", Cell, 34, 110},
    {"Baza", "H2", Cell, 35, 111},
    {"Baza", "I2", Cell, 16, 73},
    {"Baza", "Image1", Tip, 26, 83},
    {"Baza", "Image2", Tip, 27, 84},

    {"Help", "Label2", C, 25, 82},
    {"Help", "Label3", C, 51, 103, Version},
    {"Help", "Label4", C, 57, 114},
    {"Help", "Label6", C, 52, 104, Telephone},
    {"Help", "", T, 22, 79},

    {"Lang", "", T, 36, 90},

    {"Nastroiki", "", T, 37, 91},
    {"Nastroiki", "Frame1", C, 38, 92},
    {"Nastroiki", "Option1", C, 39, 93},
    {"Nastroiki", "Option2", C, 40, 94},
    {"Nastroiki", "Frame3", C, 42, 96},
    {"Nastroiki", "Label1", C, 43, 112},
    {"Nastroiki", "Frame2", C, 45, 98},
    {"Nastroiki", "Label2", C, 46, 113},
    {"Nastroiki", "Label3", C, 36, 90},
    {"Nastroiki", "Image1", Tip, 44, 97},
    {"Nastroiki", "Image2", Tip, 44, 97},

    {"Print1", "", T, 47, 99},
    {"Print1", "Label2", C, 48, 100},
    {"Print1", "Image1", Tip, 49, 101},
    {"Print1", "Image4", Tip, 50, 102},
};

QString suffixText(Suffix s)
{
    switch (s) {
    case Version: return QLatin1Char(' ') + ProgramVersion;
    case Telephone: return QLatin1Char(' ') + MakerTelephone;
    case NoSuffix: break;
    }
    return {};
}

} // namespace

const QStringList &windowOrder()
{
    static const QStringList order = {"Blankard", "Baza", "Help", "Lang", "Nastroiki", "Print1"};
    return order;
}

const std::vector<ApplicationRow> &applicationRows()
{
    static const std::vector<ApplicationRow> rows = [] {
        std::vector<ApplicationRow> r;
        for (const Row &row : kRows)
            r.push_back({QString::fromLatin1(row.window), QString::fromLatin1(row.control), row.target,
                         row.ru, row.kz, suffixText(row.suffix)});
        return r;
    }();
    return rows;
}

std::vector<ApplicationRow> rowsOf(const QString &window)
{
    std::vector<ApplicationRow> out;
    for (const ApplicationRow &r : applicationRows())
        if (r.window == window)
            out.push_back(r);
    return out;
}

int lineFor(const ApplicationRow &row, const QString &code)
{
    if (code == LanguageCode::Russian)
        return row.russianLine;
    if (code == LanguageCode::Kazakh)
        return row.kazakhLine;
    return 0;
}

std::vector<std::pair<ApplicationRow, QString>> resolve(const QString &window, const QString &code,
                                                        const TranslationTable &table)
{
    std::vector<std::pair<ApplicationRow, QString>> out;
    for (const ApplicationRow &r : applicationRows()) {
        if (r.window != window)
            continue;
        const int line = lineFor(r, code);
        if (line == 0)
            return {};
        out.emplace_back(r, table.text(line) + r.suffix);
    }
    return out;
}

} // namespace gravik::i18n
