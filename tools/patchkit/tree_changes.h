#pragma once

#include <string>
#include <vector>

#include "tools/patchkit/findings.h"
#include "tools/patchkit/progress.h"
#include "tools/patchkit/tree_scan.h"

namespace patchkit {

// The items of the new tree that an update from the old tree has to bring: files that are new
// or whose bytes differ, folders that are new, and every folder above a file that goes in,
// since the updater makes folders only for directory entries and the installation may lack
// one. The order of `items` is kept.
std::vector<TreeItem> changedSince(const std::vector<TreeItem>& items, const std::string& newRootUtf8, const std::string& oldRootUtf8,
                                   Findings& findings, Progress& progress);

}  // namespace patchkit
