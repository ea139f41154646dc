#pragma once

#include <functional>

namespace gravik {

// The subsystems' parts of the main window's start-up and of the program's
// end; each may be left empty.
struct ProgramSteps {
    std::function<void()> readPupils;     // first: the database is read while the window is built and shown
    std::function<void()> readLanguage;   // after the state file
    std::function<void()> fillPupilList;  // last: the list and its first pupil, once the database is read
    std::function<void()> awaitPupilList; // the same at once, waiting for the database if need be
    std::function<void()> atExit;         // the state file is saved; the program ends right after
};

} // namespace gravik
