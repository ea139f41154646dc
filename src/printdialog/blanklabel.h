#pragma once

namespace gravik {

class PrintDialog;
class WindowRegistry;
namespace blanks {
class Register;
}

// The print dialog's line naming the blank the next page goes onto
// ("Бланк: ЖОБ 0012345"), read from the register whenever the dialog is
// shown and after every change of the register.
void attachBlankLabel(PrintDialog &dialog, blanks::Register &reg, WindowRegistry &registry);

} // namespace gravik
