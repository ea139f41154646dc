#pragma once

namespace gravik {
class WindowRegistry;
class Blankard;

// Tells the registry how to build each secondary window and wires the main
// window to the subsystems. One line a window.
void registerWindows(WindowRegistry &registry, Blankard &main);

} // namespace gravik
