#pragma once

#include <QValidator>

class QLineEdit;

namespace gravik {

// Keeps a box to what code page 1251 can store: Kazakh letters are folded into
// their stored forms as they are typed, and a character with no byte is refused
// with the system beep (pasted text loses only those characters).
class Cp1251Validator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

void guardCp1251(QLineEdit *box);

} // namespace gravik
