#pragma once

#include <string>

#include "app/registry.h"

namespace app {

// The values that start-up finds and the run sequence goes on with.
struct StartupValues {
    std::string updateFolder;           // ends in a separator
    std::string notInstalledMessage;
    std::string installationValue;      // the registry value's data: the installation folder
    std::string uninstallManifestPath;  // installationValue + "Uninstallinf.dat", nothing inserted
    CRegistry installationKey;          // stays open until the run ends
};

// From the command line to both manifests loaded: sets RemovalMode, loads Updateinf.dat
// beside the executable, finds the installation through the registry value that it names,
// and loads that installation's Uninstallinf.dat with room for the update's entries. On a
// failure it shows that failure's message box and returns false; nothing has been changed.
bool startUp(const char* commandLine, StartupValues& values);

}  // namespace app
