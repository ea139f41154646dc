#include "core/certificatefields.h"

namespace gravik {

namespace {
using S = CertificateField::Source;
using B = CertificateField::Box;
using V = Value;

constexpr std::array<CertificateField, FieldCount> kFields{{
    {.number = 1, .source = S::InputBox, .value = V::Surname, .x = 2040, .y = 3600, .box = B::Centred, .width = 3000},
    {.number = 2, .source = S::InputBox, .value = V::FirstName, .x = 960, .y = 3960, .box = B::Centred, .width = 4080},
    {.number = 3, .source = S::InputBox, .value = V::Patronymic, .x = 960, .y = 4200, .box = B::Centred, .width = 3480},
    {.number = 4, .source = S::InputBox, .value = V::Year, .x = 1080, .y = 4440, .box = B::Fitted},
    {.number = 5, .source = S::InputBox, .value = V::School1, .x = 2280, .y = 4440, .box = B::Centred, .width = 2760},
    {.number = 6, .source = S::InputBox, .value = V::School2, .x = 840, .y = 4680, .box = B::Centred, .width = 4080, .height = 315},
    {.number = 7, .source = S::InputBox, .value = V::School3, .x = 840, .y = 4920, .box = B::Centred, .width = 4080},
    {.number = 8, .source = S::InputBox, .value = V::School4, .x = 840, .y = 5160, .box = B::Centred, .width = 3600},
    {.number = 9, .source = S::InputBox, .value = V::Director, .x = 2040, .y = 5880, .box = B::Fitted},
    {.number = 10, .source = S::InputBox, .value = V::DeputyDirector, .x = 2040, .y = 6240, .box = B::Fitted},
    {.number = 11, .source = S::InputBox, .value = V::ClassTeacher, .x = 2040, .y = 6600, .box = B::Fitted},
    {.number = 12, .source = S::InputBox, .value = V::IssueDate1, .x = 960, .y = 7320, .box = B::Centred, .width = 570},
    {.number = 13, .source = S::InputBox, .value = V::IssueDate2, .x = 2160, .y = 7320, .box = B::Centred, .width = 450},
    {.number = 14, .source = S::InputBox, .value = V::IssueDate3, .x = 2760, .y = 7320, .box = B::Centred, .width = 1290},
    {.number = 15, .source = S::InputBox, .value = V::Settlement, .x = 1800, .y = 7680, .box = B::Centred, .width = 2850},
    {.number = 16, .source = S::InputBox, .value = V::RegistrationNumber, .x = 2040, .y = 7920, .box = B::Fitted},
    {.number = 17, .source = S::InputBox, .value = V::SurnameKz, .x = 9120, .y = 3720, .box = B::Centred, .width = 2010},
    {.number = 18, .source = S::InputBox, .value = V::FirstNameKz, .x = 6960, .y = 3960, .box = B::Centred, .width = 4170},
    {.number = 19, .source = S::InputBox, .value = V::PatronymicKz, .x = 6960, .y = 4200, .box = B::Centred, .width = 2970},
    {.number = 20, .source = S::Letter, .x = 10920, .y = 4200, .box = B::Fitted},
    {.number = 21, .source = S::Mirror, .mirrorOf = 4, .x = 7080, .y = 4440, .box = B::Fitted},
    {.number = 22, .source = S::Letter, .x = 8880, .y = 4440, .box = B::Fitted},
    {.number = 23, .source = S::InputBox, .value = V::School1Kz, .x = 9240, .y = 4440, .box = B::Centred, .width = 1770},
    {.number = 24, .source = S::InputBox, .value = V::School2Kz, .x = 6960, .y = 4680, .box = B::Centred, .width = 4170},
    {.number = 25, .source = S::InputBox, .value = V::School3Kz, .x = 6960, .y = 4920, .box = B::Centred, .width = 4170},
    {.number = 26, .source = S::InputBox, .value = V::School4Kz, .x = 6960, .y = 5160, .box = B::Centred, .width = 4170},
    {.number = 27, .source = S::InputBox, .value = V::DirectorKz, .x = 7920, .y = 5880, .box = B::Fitted},
    {.number = 28, .source = S::InputBox, .value = V::DeputyDirectorKz, .x = 8160, .y = 6240, .box = B::Fitted},
    {.number = 29, .source = S::InputBox, .value = V::ClassTeacherKz, .x = 8160, .y = 6600, .box = B::Fitted},
    {.number = 30, .source = S::InputBox, .value = V::IssueDate1Kz, .x = 8040, .y = 7320, .box = B::Fitted},
    {.number = 31, .source = S::InputBox, .value = V::IssueDate2Kz, .x = 8520, .y = 7320, .box = B::Centred, .width = 1890},
    {.number = 32, .source = S::InputBox, .value = V::SettlementKz, .x = 8760, .y = 7560, .box = B::Centred, .width = 2250},
    {.number = 33, .source = S::Mirror, .mirrorOf = 16, .x = 9360, .y = 7800, .box = B::Fitted},
}};
} // namespace

const std::array<CertificateField, FieldCount> &certificateFields() { return kFields; }

const CertificateField &certificateField(int number) { return kFields.at(number - 1); }

int fieldOf(Value v)
{
    for (const auto &f : kFields)
        if (f.source == S::InputBox && f.value == v)
            return f.number;
    return 0;
}

const std::array<int, 29> &panelCopyOrder()
{
    static constexpr std::array<int, 29> order{1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                               11, 12, 13, 14, 15, 16, 17, 18, 19, 23,
                                               24, 25, 26, 27, 28, 29, 30, 31, 32};
    return order;
}

} // namespace gravik
