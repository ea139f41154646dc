#include "widgets/cp1251guard.h"

#include "core/cp1251.h"

#include <QApplication>
#include <QLineEdit>

namespace gravik {

QValidator::State Cp1251Validator::validate(QString &input, int &pos) const
{
    bool dropped = false;
    const QString before = input.left(pos);
    QString kept = cp1251::keepEncodable(input, &dropped);
    if (dropped) {
        QApplication::beep();
        pos = int(cp1251::keepEncodable(before).size());
    }
    input = kept;
    return Acceptable;
}

void guardCp1251(QLineEdit *box)
{
    box->setValidator(new Cp1251Validator(box));
}

} // namespace gravik
