#include "tools/patchkit/removal_package.h"

#include "manifest/package_names.h"
#include "tools/patchkit/file_transfer.h"
#include "tools/patchkit/host_paths.h"
#include "tools/patchkit/manifest_building.h"

namespace patchkit {

bool writeRemovalPackage(const std::string& dirUtf8, const UpdateDescription& description, const std::vector<TreeItem>& files,
                         Findings& findings) {
    // An empty carried string leaves the installation's as it is, and so does an unused
    // shortcut slot: only the texts the dialogs show and the installation's registry value.
    UpdateDescription removal;
    removal.title = description.title;
    removal.updateName = description.updateName;
    removal.note = description.note;
    removal.productName = description.productName;
    removal.registryKey = description.registryKey;
    removal.registryValue = description.registryValue;

    std::vector<manifest::ManifestEntry> entries = entriesOf(files, removal.extras);
    manifest::UpdateHeader header = updateHeaderOf(removal, static_cast<uint32_t>(entries.size()));
    std::string manifestPath = joinPath(dirUtf8, manifest::kUpdateManifestName);
    std::string narrow, why;
    if (!filePathOf(manifestPath, narrow, why) || !writeWholeFile(narrow, manifestFileBytes(header, entries), why)) {
        findings.error(manifestPath, "", why);
        return false;
    }
    return true;
}

}  // namespace patchkit
