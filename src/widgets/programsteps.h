#pragma once

#include <functional>

namespace gravik {

// The subsystems' parts of the main window's start-up and of the program's
// end; each may be left empty.
struct ProgramSteps {
    std::function<void()> fillPupilList;    // after the fields are styled
    std::function<void()> readLanguage;     // after the pupil list is filled
    std::function<void()> chooseFirstPupil; // last
    std::function<void()> atExit;           // the state file is saved; the program ends right after
};

} // namespace gravik
