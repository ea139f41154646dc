#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace gravik {

// One of the 33 printed fields of the certificate.
struct CertificateField {
    enum class Source { InputBox, Mirror, Letter };
    enum class Box { Centred, Fitted };

    int number;         // 1..33, label "Label<number>"
    Source source;
    const char *inputBox; // "Text<k>" for Source::InputBox
    int mirrorOf;       // field mirrored, for Source::Mirror
    int defaultY;       // twips
    int defaultX;       // twips
    Box box;
    int width;          // twips, centred boxes only
    int height;         // twips

    QString labelName() const { return QStringLiteral("Label%1").arg(number); }
};

constexpr int FieldCount = 33;

const std::array<CertificateField, FieldCount> &certificateFields();
const CertificateField &certificateField(int number);

// The field an input box feeds, or 0.
int fieldOfInputBox(const QString &boxName);

// The 29 input boxes in the order of state-file lines 1..29.
const QStringList &stateFileBoxes();

// Fields in the order the panel's close copies them: 1..19, then 23..32.
const std::array<int, 29> &panelCopyOrder();

} // namespace gravik
