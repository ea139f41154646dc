#include "core/certificatefields.h"

namespace gravik {

namespace {
using S = CertificateField::Source;
using B = CertificateField::Box;

constexpr std::array<CertificateField, FieldCount> kFields{{
    {1, S::InputBox, "Text1", 0, 3600, 2040, B::Centred, 3000, 255},
    {2, S::InputBox, "Text2", 0, 3960, 960, B::Centred, 4080, 255},
    {3, S::InputBox, "Text3", 0, 4200, 960, B::Centred, 3480, 255},
    {4, S::InputBox, "Text4", 0, 4440, 1080, B::Fitted, 0, 255},
    {5, S::InputBox, "Text11", 0, 4440, 2280, B::Centred, 2760, 255},
    {6, S::InputBox, "Text21", 0, 4680, 840, B::Centred, 4080, 315},
    {7, S::InputBox, "Text24", 0, 4920, 840, B::Centred, 4080, 255},
    {8, S::InputBox, "Text25", 0, 5160, 840, B::Centred, 3600, 255},
    {9, S::InputBox, "Text5", 0, 5880, 2040, B::Fitted, 0, 255},
    {10, S::InputBox, "Text6", 0, 6240, 2040, B::Fitted, 0, 255},
    {11, S::InputBox, "Text7", 0, 6600, 2040, B::Fitted, 0, 255},
    {12, S::InputBox, "Text8", 0, 7320, 960, B::Centred, 570, 255},
    {13, S::InputBox, "Text9", 0, 7320, 2160, B::Centred, 450, 255},
    {14, S::InputBox, "Text10", 0, 7320, 2760, B::Centred, 1290, 255},
    {15, S::InputBox, "Text30", 0, 7680, 1800, B::Centred, 2850, 255},
    {16, S::InputBox, "Text12", 0, 7920, 2040, B::Fitted, 0, 255},
    {17, S::InputBox, "Text13", 0, 3720, 9120, B::Centred, 2010, 255},
    {18, S::InputBox, "Text14", 0, 3960, 6960, B::Centred, 4170, 255},
    {19, S::InputBox, "Text15", 0, 4200, 6960, B::Centred, 2970, 255},
    {20, S::Letter, "", 0, 4200, 10920, B::Fitted, 0, 255},
    {21, S::Mirror, "", 4, 4440, 7080, B::Fitted, 0, 255},
    {22, S::Letter, "", 0, 4440, 8880, B::Fitted, 0, 255},
    {23, S::InputBox, "Text26", 0, 4440, 9240, B::Centred, 1770, 255},
    {24, S::InputBox, "Text27", 0, 4680, 6960, B::Centred, 4170, 255},
    {25, S::InputBox, "Text28", 0, 4920, 6960, B::Centred, 4170, 255},
    {26, S::InputBox, "Text29", 0, 5160, 6960, B::Centred, 4170, 255},
    {27, S::InputBox, "Text16", 0, 5880, 7920, B::Fitted, 0, 255},
    {28, S::InputBox, "Text17", 0, 6240, 8160, B::Fitted, 0, 255},
    {29, S::InputBox, "Text18", 0, 6600, 8160, B::Fitted, 0, 255},
    {30, S::InputBox, "Text19", 0, 7320, 8040, B::Fitted, 0, 255},
    {31, S::InputBox, "Text20", 0, 7320, 8520, B::Centred, 1890, 255},
    {32, S::InputBox, "Text31", 0, 7560, 8760, B::Centred, 2250, 255},
    {33, S::Mirror, "", 16, 7800, 9360, B::Fitted, 0, 255},
}};
} // namespace

const std::array<CertificateField, FieldCount> &certificateFields() { return kFields; }

const CertificateField &certificateField(int number) { return kFields.at(number - 1); }

int fieldOfInputBox(const QString &boxName)
{
    for (const auto &f : kFields)
        if (f.source == S::InputBox && boxName == QLatin1String(f.inputBox))
            return f.number;
    return 0;
}

const QStringList &stateFileBoxes()
{
    static const QStringList boxes = {
        "Text1",  "Text2",  "Text3",  "Text4",  "Text5",  "Text6",  "Text7",  "Text8",
        "Text9",  "Text10", "Text30", "Text12", "Text13", "Text14", "Text15", "Text16",
        "Text17", "Text18", "Text19", "Text20", "Text31", "Text11", "Text21", "Text24",
        "Text25", "Text26", "Text27", "Text28", "Text29"};
    return boxes;
}

const std::array<int, 29> &panelCopyOrder()
{
    static constexpr std::array<int, 29> order{1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                               11, 12, 13, 14, 15, 16, 17, 18, 19, 23,
                                               24, 25, 26, 27, 28, 29, 30, 31, 32};
    return order;
}

} // namespace gravik
