#pragma once

#include "editor/certificatewindow.h"

// The main window over a certificate of its own, for tests that need only
// the window (the program's document lives in main()).
struct CertificateHolder {
    gravik::CertificateDocument certificate;
};

class TestMainWindow : private CertificateHolder, public gravik::CertificateWindow
{
public:
    explicit TestMainWindow(FontSource fonts = {}) : gravik::CertificateWindow(certificate, std::move(fonts)) {}
};
