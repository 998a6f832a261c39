#pragma once

#include <string>

#include "tools/patchkit/findings.h"
#include "tools/patchkit/progress.h"

namespace patchkit {

struct CheckRequest {
    std::string packageDir;  // UTF-8
    // The installation folder the package is meant for, when known (UTF-8): the updater joins
    // it with every name into a 260-byte buffer.
    bool hasInstallPath = false;
    std::string installPath;
    // For Update.exe -u, which deletes the listed files and reads no payload.
    bool removal = false;
};

// Everything that would stop the updater or make it go wrong with this package: what its
// loader refuses, payload files missing or of another size than their entry, names the record
// takes for one another, unsafe shortcut templates and, for a stated installation folder, paths
// too long, and a program beside the manifest that is not the 32-bit GUI updater. Files whose
// folder has no earlier directory entry, names too long for the status line, payload files no
// entry lists and an unsigned updater are warnings.
void checkPackage(const CheckRequest& request, Findings& findings, Progress& progress);

}  // namespace patchkit
