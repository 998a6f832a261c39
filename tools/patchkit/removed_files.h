#pragma once

#include <string>
#include <vector>

#include "tools/patchkit/findings.h"
#include "tools/patchkit/progress.h"
#include "tools/patchkit/tree_scan.h"

namespace patchkit {

// The files of the old tree that the new one no longer has, neither under a name Windows
// takes for theirs nor under one the installation's record does: an update can only bring
// files, so these stay in every installation it updates. Each is a warning; so is an old file that no record could name. The old tree's
// own record, if it is an installation, is never among them.
std::vector<TreeItem> removedSince(const std::vector<TreeItem>& newItems, const std::string& newRootUtf8, const std::string& oldRootUtf8,
                                   Findings& findings, Progress& progress);

}  // namespace patchkit
