#pragma once

#include "app/registry.h"

namespace app {

// From the command line to both manifests loaded: sets RemovalMode, loads Updateinf.dat
// beside the executable, finds the installation through the registry value that it names,
// and loads that installation's Uninstallinf.dat with room for the update's entries, all
// into the run's state. The installation's key is opened into installationKey, which stays
// open until the run ends. On a failure it shows that failure's message box and returns
// false; nothing has been changed.
bool startUp(const char* commandLine, CRegistry& installationKey);

}  // namespace app
