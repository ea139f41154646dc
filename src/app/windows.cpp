#include "app/windows.h"

#include "app/windowregistry.h"
#include "editor/blankard.h"

namespace gravik {

void registerWindows(WindowRegistry &registry, Blankard &main)
{
    registry.setMainWindow(&main);
    // Each subsystem registers its window here.
}

} // namespace gravik
