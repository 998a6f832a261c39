#pragma once

#include <string>

#include "tools/patchkit/findings.h"
#include "tools/patchkit/progress.h"

namespace patchkit {

// Writes installTree/Uninstallinf.dat: the installation's record of every file and folder in
// the tree (the record itself left out), its counters, and the header texts and installed
// shortcut slots from the description's "install" section. No shortcut file is made.
bool writeInstallRecord(const std::string& descriptionPath, const std::string& installTree, Findings& findings, Progress& progress,
                        uint32_t& entryCount);

}  // namespace patchkit
