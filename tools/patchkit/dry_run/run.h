#pragma once

#include <string>
#include <vector>

#include "app/updater.h"
#include "manifest/layouts.h"
#include "tools/overlay/files_overlay.h"
#include "tools/patchkit/dry_run/timeline.h"
#include "tools/patchkit/progress.h"

namespace patchkit {

struct DryRunRequest {
    std::string packageDirUtf8;
    std::string installDirUtf8;
    bool removal = false;
};

// The two folders as the updater is given them: code page 932, ending in a separator.
struct DryRunFolders {
    std::string package;
    std::string install;
    bool removal = false;
};

// False (with `why`) when a folder cannot be named to the updater.
bool dryRunFoldersOf(const DryRunRequest& request, DryRunFolders& folders, std::string& why);

// What the overlay must keep for this package and installation: the whole saved record.
overlay::Limits dryRunLimits(const DryRunFolders& folders);

// Everything a dry run saw. Paths and texts are code page 932.
struct DryRunObservation {
    Timeline timeline;
    app::RunOutcome outcome = app::RunOutcome::StartUpRefused;
    bool removal = false;
    std::string installFolder;  // as the updater joined names to it; empty when start-up failed
    std::string recordPath;
    // The per-user and the all-users Programs folders, with their trailing separators.
    std::string userPrograms;
    std::string commonPrograms;
    std::vector<manifest::ManifestEntry> updateEntries;
    // Whether each update entry's path in the installation named a folder before the run.
    std::vector<bool> folderBefore;
    std::string recordBefore;   // the record on disk; empty when there is none to read
    std::string recordAfter;    // as the run left it in memory; empty when it is not there
};

// Runs the updater itself, start-up to saved record, on the package and the installation
// given: over `files`, an overlay of the file system that keeps every change in memory, with
// the confirmation answered OK and every dialog, message box and shortcut recorded. Nothing
// on disk changes; afterwards `files` shows the installation as the run would leave it.
void runDryRun(const DryRunFolders& folders, overlay::FilesOverlay& files, Progress& progress, DryRunObservation& seen);

}  // namespace patchkit
