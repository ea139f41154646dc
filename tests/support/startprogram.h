#pragma once

#include "app/windows.h"
#include "core/certificate.h"
#include "database/studentdatabase.h"
#include "editor/certificatewindow.h"
#include "register/blankregister.h"
#include "widgets/windowregistry.h"

#include <QTest>

// The program's objects as main() makes them, every window registered.
struct TestProgram {
    gravik::CertificateDocument certificate;
    gravik::StudentDatabase db;
    gravik::blanks::Register blankRegister;
    gravik::WindowRegistry registry;
    gravik::CertificateWindow main{certificate};

    TestProgram() { gravik::registerWindows(registry, main, db, blankRegister); }
    ~TestProgram() { registry.destroyAll(); }

    // Starts the main window with its pupil list and waits until it is shown;
    // false when it could not start.
    bool start() { return show(true); }

    // The same; without the pupil list when awaitPupils is false: it comes later,
    // once the database has been read, as in the program.
    bool show(bool awaitPupils)
    {
        QString error;
        if (!main.startUp(&error)) {
            qWarning("%s", qPrintable(error));
            return false;
        }
        if (awaitPupils)
            main.finishStartUp();
        main.show();
        return QTest::qWaitForWindowExposed(&main);
    }
};
