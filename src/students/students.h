#pragma once

#include "widgets/programsteps.h"

class QWidget;

namespace gravik {

class CertificateDocument;
class StudentDatabase;
class WindowRegistry;

// The student database's part of the program: its window, the pupil list of
// the main window (its Combo12 and Image1) and its steps, the failure notice.
void registerStudents(WindowRegistry &registry, CertificateDocument &doc, QWidget &main, StudentDatabase &db,
                      ProgramSteps &steps);

} // namespace gravik
