#pragma once

#include <QString>

#include <optional>

namespace gravik::commandline {

// --help and --version: answered, and the program ended, before the windowing
// system is touched, so that they work without a display.
void answerInfoOptions(int argc, char *argv[]);

// Once the application has taken its own options: the --dir value (empty when
// not given), or nothing after a message about an unknown option or argument.
std::optional<QString> programDirArgument();

} // namespace gravik::commandline
