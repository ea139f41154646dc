#pragma once

#include "database/workbook.h"

#include <QString>

// What the SpreadsheetML reader and writer share: the namespaces and the
// style attributes, each mapped once to the member of CellStyle it fills.
namespace gravik::spreadsheetml {

inline constexpr char SpreadsheetNs[] = "urn:schemas-microsoft-com:office:spreadsheet";
inline constexpr char ExcelNs[] = "urn:schemas-microsoft-com:office:excel";

// The children of a Style element that carry plain attributes, in the order
// the writer puts them (Borders, a list of its own, goes after Alignment).
enum class StylePart : unsigned char { Alignment, Font, Interior, NumberFormat };
inline constexpr StylePart StyleParts[] = {StylePart::Alignment, StylePart::Font, StylePart::Interior,
                                           StylePart::NumberFormat};
const char *partName(StylePart part);

struct StyleAttribute {
    StylePart part;
    bool excel;       // in the excel namespace (x:), else the spreadsheet one (ss:)
    const char *name; // local name
    QString CellStyle::*field;
};

inline constexpr StyleAttribute StyleAttributes[] = {
    {StylePart::Alignment, false, "Horizontal", &CellStyle::horizontal},
    {StylePart::Alignment, false, "Vertical", &CellStyle::vertical},
    {StylePart::Alignment, false, "WrapText", &CellStyle::wrapText},
    {StylePart::Font, false, "FontName", &CellStyle::fontName},
    {StylePart::Font, true, "CharSet", &CellStyle::charSet},
    {StylePart::Font, true, "Family", &CellStyle::fontFamily},
    {StylePart::Font, false, "Size", &CellStyle::fontSize},
    {StylePart::Font, false, "Color", &CellStyle::fontColor},
    {StylePart::Font, false, "Bold", &CellStyle::bold},
    {StylePart::Font, false, "Italic", &CellStyle::italic},
    {StylePart::Font, false, "Underline", &CellStyle::underline},
    {StylePart::Interior, false, "Color", &CellStyle::interiorColor},
    {StylePart::Interior, false, "Pattern", &CellStyle::interiorPattern},
    {StylePart::NumberFormat, false, "Format", &CellStyle::numberFormat},
};

// The attributes of Borders/Border, all in the spreadsheet namespace.
struct BorderAttribute {
    const char *name;
    QString CellStyle::Border::*field;
};

inline constexpr BorderAttribute BorderAttributes[] = {
    {"Position", &CellStyle::Border::position},
    {"LineStyle", &CellStyle::Border::lineStyle},
    {"Weight", &CellStyle::Border::weight},
    {"Color", &CellStyle::Border::color},
};

} // namespace gravik::spreadsheetml
