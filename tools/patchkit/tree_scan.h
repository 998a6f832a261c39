#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "tools/patchkit/findings.h"
#include "tools/patchkit/progress.h"

namespace patchkit {

struct TreeItem {
    std::string relativePath;  // UTF-8, '/' separators, as the host names it below the root
    std::string name;          // code page 932 entry name, '\' separators; a folder's ends in '\'
    bool directory = false;
    uint64_t size = 0;         // files only, as the scan saw it
};

struct ScanOptions {
    // Names at the top of the tree to leave out, matched as the updater matches names (the
    // installation's own record, for one).
    std::vector<std::string> skipAtTop;
    // Entry names a record already lists. Two of them that the record takes for one another
    // are the record's fault, told by whoever reads the record, and not found again here.
    std::unordered_set<std::string> listed;
};

// Every file and folder below `rootUtf8`, sorted by the bytes of their entry names, which
// puts each folder before everything inside it. Whatever the updater could not carry (a name
// code page 932 cannot hold, too long, unsafe, or taken by the record for another) is a
// finding; so is anything that is neither a plain file nor a folder.
std::vector<TreeItem> scanTree(const std::string& rootUtf8, const ScanOptions& options, Findings& findings, Progress& progress);

}  // namespace patchkit
