#include "tools/patchkit/install_writer.h"

#include "manifest/package_names.h"
#include "tools/patchkit/description.h"
#include "tools/patchkit/file_transfer.h"
#include "tools/patchkit/host_paths.h"
#include "tools/patchkit/manifest_building.h"
#include "tools/patchkit/tree_scan.h"

namespace patchkit {

bool writeInstallRecord(const std::string& descriptionPath, const std::string& installTree, Findings& findings, Progress& progress,
                        uint32_t& entryCount) {
    PackageDescription description;
    if (!readDescription(descriptionPath, description, findings)) return false;
    if (!description.hasInstall) {
        findings.error(descriptionPath, "install", "is required to write an installation's record");
        return false;
    }
    // A record written again must not list its predecessor.
    ScanOptions options;
    options.skipAtTop.push_back(manifest::kUninstallManifestName);
    std::vector<TreeItem> items = scanTree(installTree, options, findings, progress);
    if (findings.hasErrors()) return false;

    std::vector<std::string> names;
    for (const TreeItem& item : items) names.push_back(item.name);
    description.install.extras.reportUnused(names, descriptionPath, installTree, findings);
    if (findings.hasErrors()) return false;

    std::vector<manifest::ManifestEntry> entries = entriesOf(items, description.install.extras);
    manifest::UninstallHeader header = uninstallHeaderOf(description.install, entries);
    std::string recordPath = joinPath(installTree, manifest::kUninstallManifestName);
    std::string narrow, why;
    if (!filePathOf(recordPath, narrow, why) || !writeWholeFile(narrow, manifestFileBytes(header, entries), why)) {
        findings.error(recordPath, "", why);
        return false;
    }
    entryCount = header.entryCount;
    return true;
}

}  // namespace patchkit
