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

    // Starts the main window and waits until it is shown; false when it could not start.
    bool start()
    {
        QString error;
        if (!main.startUp(&error)) {
            qWarning("%s", qPrintable(error));
            return false;
        }
        main.show();
        return QTest::qWaitForWindowExposed(&main);
    }
};
