#include "app/windows.h"

#include "app/windowregistry.h"
#include "editor/blankard.h"

namespace gravik {

void registerWindows(WindowRegistry &registry, Blankard &main)
{
    registry.setMainWindow(&main);
    Blankard::StartupSteps steps;

    // Each subsystem registers its window and fills its start-up steps here.

    main.setStartupSteps(steps);
    main.setRegistry(&registry);
}

} // namespace gravik
