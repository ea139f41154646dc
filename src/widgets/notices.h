#pragma once

#include <QString>

class QWidget;

// Messages to the operator from the language and settings windows.
namespace gravik::notices {

// A file that could not be read as expected: told once per file in a run, so
// six windows reading the same missing file give one message.
void fileProblem(const QString &path, const QString &message);

// A warning with an OK button.
void warning(QWidget *parent, const QString &message);

// Lets every file be reported again.
void forgetFiles();

} // namespace gravik::notices
