#include "database/spreadsheetmlformat.h"

namespace gravik::spreadsheetml {

const char *partName(StylePart part)
{
    switch (part) {
    case StylePart::Alignment: return "Alignment";
    case StylePart::Font: return "Font";
    case StylePart::Interior: return "Interior";
    case StylePart::NumberFormat: return "NumberFormat";
    }
    return "";
}

} // namespace gravik::spreadsheetml
