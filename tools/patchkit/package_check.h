#pragma once

#include <string>

#include "tools/patchkit/findings.h"
#include "tools/patchkit/progress.h"

namespace patchkit {

struct CheckRequest {
    std::string packageDir;  // UTF-8
    // The installation folder the package is meant for, and the folder it will run from, when
    // known (UTF-8): the updater joins them with every name into 260-byte paths.
    bool hasInstallPath = false;
    std::string installPath;
    bool hasUpdatePath = false;
    std::string updatePath;
    // For Update.exe -u, which deletes the listed files and reads no payload.
    bool removal = false;
};

// Everything that would stop the updater or make it go wrong with this package: what its
// loader refuses, payload files missing or of another size than their entry, names the record
// takes for one another, unsafe shortcut templates and, for a stated installation folder or
// update folder, paths too long, and a program beside the manifest that is not the 32-bit GUI
// updater. Payload files are found as the updater finds them on Windows, whatever the host.
// Files whose folder has no earlier directory entry, payload files spelled otherwise than
// their entry, payload files no entry lists and an unsigned updater are warnings; the names
// the status line cuts off, and the lengths that a folder not stated leaves unjudged, notes.
void checkPackage(const CheckRequest& request, Findings& findings, Progress& progress);

}  // namespace patchkit
