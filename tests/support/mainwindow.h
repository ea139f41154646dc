#pragma once

#include "editor/blankard.h"

// The main window over a certificate of its own, for tests that need only
// the window (the program's document lives in main()).
struct CertificateHolder {
    gravik::CertificateDocument certificate;
};

class TestMainWindow : private CertificateHolder, public gravik::Blankard
{
public:
    explicit TestMainWindow(FontSource fonts = {}) : gravik::Blankard(certificate, std::move(fonts)) {}
};
