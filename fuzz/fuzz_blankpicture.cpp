// Any bytes as the scanned blank: a clear refusal or a picture bounded by the
// page on screen, never a crash.
#include "core/blankpicture.h"
#include "memfile.h"

#include <QGuiApplication>

#include <cstdlib>

using namespace gravik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_blankpicture";
    static char *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    QString error;
    if (const auto picture = blankpicture::read(memFile(data, size), &error)) {
        const auto copy = blankpicture::screenCopy(picture->image, blankpicture::dotsPerInch(picture->image), 96, 96);
        if (copy.image.width() > 800 || copy.image.height() > 1130)
            std::abort();
    } else if (error.isEmpty()) {
        std::abort();
    }
    return 0;
}
