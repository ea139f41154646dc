#pragma once

#include "editor/certificatewindow.h"

namespace gravik {

class StudentDatabase;
class WindowRegistry;

// The student database's part of the program: its window, the pupil list of
// the main window and its start-up steps, the failure notice.
void registerStudents(WindowRegistry &registry, CertificateWindow &main, StudentDatabase &db, CertificateWindow::StartupSteps &steps);

} // namespace gravik
