#pragma once

#include <cstdint>
#include <string>

#include "engine/change_journal.h"
#include "manifest/manifests.h"

namespace engine {

// Everything one run of the updater shares, from the command line to exit. The product keeps
// it process-wide by design: the dialog procedures are created with parameter 0 and read it
// from here. Start-up fills it, the run sequence, the dialogs and the engine read and change
// it.
struct RunState {
    // Set once at start, when the command-line tail is exactly "-u".
    bool RemovalMode = false;
    // Set to 1 by the progress dialog's Cancel; read by the engine after a pump; never reset.
    int32_t cancelRequested = 0;

    // Paths in code page 932. UpdateFolder, UpdateDataFolder and InstallFolder end in a
    // separator; uninstallManifestPath is the registry value's data + "Uninstallinf.dat",
    // nothing inserted.
    std::string UpdateFolder;
    std::string installationValue;
    std::string uninstallManifestPath;
    std::string UpdateDataFolder;
    std::string InstallFolder;

    manifest::UpdateManifest updateManifest;
    manifest::UninstallManifest uninstallManifest;
    ChangeJournal changeJournal;

    // Puts another state in the process's place until it is replaced back, as the platform's
    // services are (platform::ScopedService): a dry run, a benchmark or a test that runs the
    // updater more than once in one process starts each run from a state of its own.
    static RunState* replace(RunState* replacement);
};

// The run's state: the process's own, or the one put in its place.
RunState& runState();

}  // namespace engine
