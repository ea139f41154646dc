#pragma once

namespace gravik {
class CertificateWindow;
class StudentDatabase;
class WindowRegistry;
namespace blanks {
class Register;
}

// Tells the registry how to build each secondary window and wires the main
// window to the subsystems, one call a subsystem.
void registerWindows(WindowRegistry &registry, CertificateWindow &main, StudentDatabase &db, blanks::Register &reg);

} // namespace gravik
