#include "tools/patchkit/removed_files.h"

#include <unordered_set>

#include "manifest/package_names.h"
#include "platform/text.h"
#include "tools/patchkit/entry_names.h"
#include "tools/patchkit/host_paths.h"

namespace patchkit {

std::vector<TreeItem> removedSince(const std::vector<TreeItem>& newItems, const std::string& newRootUtf8, const std::string& oldRootUtf8,
                                   Findings& findings, Progress& progress) {
    // An old file stays when a new one is the same file to Windows (deleting the old would
    // delete the new) or to the record (deleting it would take the new one's entry out).
    std::unordered_set<std::string> onDisk, inRecord;
    for (const TreeItem& item : newItems) {
        if (item.directory) continue;
        onDisk.insert(diskKeyOf(item.name));
        inRecord.insert(platform::foldedAsciiCase(item.name));
    }
    ScanOptions options;
    options.skipAtTop.push_back(manifest::kUninstallManifestName);
    // What the new tree can carry was settled by its own scan; an old name that no entry can
    // hold only means that no removal can list that file.
    Findings oldProblems;
    std::vector<TreeItem> oldItems = scanTree(oldRootUtf8, options, oldProblems, progress);
    for (const Finding& problem : oldProblems.all()) {
        findings.warning(problem.file, problem.field, problem.reason + " (so no removal package can list it)");
    }
    std::vector<TreeItem> removed;
    for (const TreeItem& item : oldItems) {
        if (item.directory || onDisk.count(diskKeyOf(item.name)) || inRecord.count(platform::foldedAsciiCase(item.name))) continue;
        findings.warning(joinPath(oldRootUtf8, item.relativePath), "",
                         "is gone from " + newRootUtf8 + ", but an update cannot delete it: it stays in every installation");
        removed.push_back(item);
    }
    return removed;
}

}  // namespace patchkit
