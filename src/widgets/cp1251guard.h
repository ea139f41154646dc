#pragma once

#include <QValidator>

class QLineEdit;

namespace gravik {

// Keeps a box to what the code page can store: a typed stand-in (є on a
// Ukrainian layout) shows as the Kazakh letter it is stored as (ғ), and a
// character with no byte is refused with the system beep (pasted text loses
// only those characters).
class Cp1251Validator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

void guardCp1251(QLineEdit *box);

} // namespace gravik
