#pragma once

#include "widgets/windowregistry.h"
#include "app/windows.h"
#include "editor/blankard.h"

#include <QTest>

// Starts the main window the way the program does, with every window
// registered, and waits until it is shown. False when it could not start.
inline bool startLikeTheProgram(gravik::WindowRegistry &registry, gravik::Blankard &main)
{
    gravik::registerWindows(registry, main);
    QString error;
    if (!main.startUp(&error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    main.show();
    return QTest::qWaitForWindowExposed(&main);
}
