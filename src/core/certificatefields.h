#pragma once

#include <QString>

#include <array>

namespace gravik {

// The 29 values the operator types, in the order of the state file's lines
// 1..29. "Kz" is the blank's right, Kazakh half.
enum class Value {
    Surname,
    FirstName,
    Patronymic,
    Year,
    Director,
    DeputyDirector,
    ClassTeacher,
    IssueDate1,
    IssueDate2,
    IssueDate3,
    Settlement,
    RegistrationNumber,
    SurnameKz,
    FirstNameKz,
    PatronymicKz,
    DirectorKz,
    DeputyDirectorKz,
    ClassTeacherKz,
    IssueDate1Kz,
    IssueDate2Kz,
    SettlementKz,
    School1,
    School2,
    School3,
    School4,
    School1Kz,
    School2Kz,
    School3Kz,
    School4Kz,
};

constexpr int ValueCount = 29;
// A value's line in the state file, from 1.
constexpr int stateLine(Value v) { return int(v) + 1; }

// One of the 33 printed fields of the certificate.
struct CertificateField {
    enum class Source { InputBox, Mirror, Letter };
    enum class Box { Centred, Fitted };

    int number = 0; // 1..33, label "Label<number>"
    Source source = Source::InputBox;
    Value value = Value::Surname; // for Source::InputBox
    int mirrorOf = 0;             // field mirrored, for Source::Mirror
    int x = 0;                    // default position, twips
    int y = 0;
    Box box = Box::Fitted;
    int width = 0; // twips, centred boxes only
    int height = 255; // twips

    QString labelName() const { return QStringLiteral("Label%1").arg(number); }
};

constexpr int FieldCount = 33;

const std::array<CertificateField, FieldCount> &certificateFields();
const CertificateField &certificateField(int number);

// The field a value feeds (its mirrors follow that field).
int fieldOf(Value v);

// Fields in the order the panel's close copies them: 1..19, then 23..32.
const std::array<int, 29> &panelCopyOrder();

} // namespace gravik
