#include "tools/patchkit/package_writer.h"

#include <filesystem>
#include <system_error>

#include "app/path_helpers.h"
#include "manifest/manifest_problems.h"
#include "manifest/package_names.h"
#include "platform/file_path.h"
#include "tools/patchkit/description.h"
#include "tools/patchkit/entry_names.h"
#include "tools/patchkit/field_text.h"
#include "tools/patchkit/file_transfer.h"
#include "tools/patchkit/host_paths.h"
#include "tools/patchkit/manifest_building.h"
#include "tools/patchkit/removal_package.h"
#include "tools/patchkit/removed_files.h"
#include "tools/patchkit/tree_changes.h"
#include "tools/patchkit/tree_scan.h"

namespace patchkit {
namespace {

namespace fs = std::filesystem;

bool outputFolderUsable(const MakeRequest& request, const std::string& outDir, Findings& findings) {
    if (isInside(outDir, request.newTree) || (!request.sinceTree.empty() && isInside(outDir, request.sinceTree))) {
        findings.error(outDir, "", "lies inside a tree that goes into the package");
        return false;
    }
    std::error_code error;
    for (const char* taken : {manifest::kUpdateManifestName, manifest::kPayloadFolderName}) {
        std::string path = joinPath(outDir, taken);
        if (fs::exists(fsPathOf(path), error)) {
            findings.error(path, "", "exists already; make writes a package into an empty or new folder");
            return false;
        }
    }
    return true;
}

bool makeFolder(const std::string& utf8, Findings& findings) {
    std::error_code error;
    fs::create_directories(fsPathOf(utf8), error);
    if (error) findings.error(utf8, "", "cannot be created: " + error.message());
    return !error;
}

bool copyInto(const std::string& from, const std::string& to, uint64_t& copied, Findings& findings, const ByteCounter& onProgress) {
    std::string fromNarrow, toNarrow, why;
    if (!filePathOf(from, fromNarrow, why)) {
        findings.error(from, "", why);
        return false;
    }
    if (!filePathOf(to, toNarrow, why)) {
        findings.error(to, "", why);
        return false;
    }
    if (!copyFile(fromNarrow, toNarrow, copied, why, onProgress)) {
        findings.error(from, "", why);
        return false;
    }
    return true;
}

// Update.exe beside patchkit itself, as the kit lays them out (the Windows zip, and the Linux
// tarball, which carries the zip's), found the way the updater finds its own folder: the path
// as CFile takes it, or empty when there is none there.
std::string updaterBesideProgram() {
    std::string folder = platform::getParentFolder(app::getModulePath());
    std::string path = folder + "\\" + manifest::kUpdaterProgramName;
    uint64_t size = 0;
    return !folder.empty() && sizeOfFile(path, size) ? path : std::string();
}

bool copyUpdater(const MakeRequest& request, const std::string& outDir, Findings& findings, MakeSummary& summary) {
    uint64_t copied = 0;
    if (!request.updaterPath.empty()) {
        std::string leaf = utf8Of(fsPathOf(request.updaterPath).filename());
        return copyInto(request.updaterPath, joinPath(outDir, leaf), copied, findings, nullptr);
    }
    std::string beside = updaterBesideProgram();
    if (beside.empty()) return true;
    std::string target, why;
    if (!filePathOf(joinPath(outDir, manifest::kUpdaterProgramName), target, why) || !copyFile(beside, target, copied, why)) {
        findings.error(displayText(beside), "", why);
        return false;
    }
    summary.updaterBesideProgram = true;
    return true;
}

// The payload: folders first (the list is in that order already), then each file's bytes.
// Each item's size becomes what its copy holds.
bool writePayload(const MakeRequest& request, std::vector<TreeItem>& items, Findings& findings, Progress& progress, MakeSummary& summary) {
    std::string data = joinPath(request.outDir, manifest::kPayloadFolderName);
    if (!makeFolder(data, findings)) return false;
    uint64_t total = 0;
    for (const TreeItem& item : items) total += item.size;
    uint64_t before = 0;
    for (TreeItem& item : items) {
        std::string target = joinPath(data, item.relativePath);
        if (item.directory) {
            if (!makeFolder(target, findings)) return false;
            summary.directories += 1;
            continue;
        }
        auto onProgress = [&](uint64_t copied) { progress.show("copying", before + copied, total, "bytes"); };
        if (!copyInto(joinPath(request.newTree, item.relativePath), target, item.size, findings, onProgress)) return false;
        before += item.size;
        summary.files += 1;
        summary.bytes += item.size;
    }
    progress.finish();
    return true;
}

}  // namespace

bool makePackage(const MakeRequest& request, Findings& findings, Progress& progress, MakeSummary& summary) {
    PackageDescription description;
    if (!readDescription(request.descriptionPath, description, findings)) return false;
    if (!description.hasUpdate) {
        findings.error(request.descriptionPath, "update", "is required to make a package");
        return false;
    }
    if (!outputFolderUsable(request, request.outDir, findings)) return false;
    bool removal = !request.sinceTree.empty() && !request.removalPackageDir.empty();
    if (removal && (isInside(request.removalPackageDir, request.outDir) || isInside(request.outDir, request.removalPackageDir))) {
        findings.error(request.removalPackageDir, "", "is where the update package goes; the removal package needs a folder of its own");
        return false;
    }
    if (removal && !outputFolderUsable(request, request.removalPackageDir, findings)) return false;

    std::vector<TreeItem> items = scanTree(request.newTree, ScanOptions{}, findings, progress);
    for (const TreeItem& item : items) {
        if (std::string why = manifest::recordNameProblem(item.name); !why.empty()) {
            findings.error(joinPath(request.newTree, item.relativePath), "", why);
        }
    }
    if (findings.hasErrors()) return false;

    std::vector<std::string> names;
    for (const TreeItem& item : items) names.push_back(item.name);
    description.update.extras.reportUnused(names, request.descriptionPath, request.newTree, findings);
    if (findings.hasErrors()) return false;

    std::vector<TreeItem> removed;
    if (!request.sinceTree.empty()) {
        removed = removedSince(items, request.newTree, request.sinceTree, findings, progress);
        for (const TreeItem& item : removed) summary.removedBytes += item.size;
        summary.removedFiles = static_cast<uint32_t>(removed.size());
        items = changedSince(items, request.newTree, request.sinceTree, findings, progress);
        if (findings.hasErrors()) return false;
        if (items.empty()) findings.warning(request.newTree, "", "holds nothing new or changed since " + request.sinceTree);
    }

    if (!makeFolder(request.outDir, findings)) return false;
    if (!writePayload(request, items, findings, progress, summary)) return false;

    if (!copyUpdater(request, request.outDir, findings, summary)) return false;

    std::vector<manifest::ManifestEntry> entries = entriesOf(items, description.update.extras);
    manifest::UpdateHeader header = updateHeaderOf(description.update, static_cast<uint32_t>(entries.size()));
    std::string manifestPath = joinPath(request.outDir, manifest::kUpdateManifestName);
    std::string narrow, why;
    if (!filePathOf(manifestPath, narrow, why) || !writeWholeFile(narrow, manifestFileBytes(header, entries), why)) {
        findings.error(manifestPath, "", why);
        return false;
    }

    if (!removal) return true;
    if (!makeFolder(request.removalPackageDir, findings) || !copyUpdater(request, request.removalPackageDir, findings, summary)) return false;
    summary.removalWritten = writeRemovalPackage(request.removalPackageDir, description.update, removed, findings);
    return summary.removalWritten;
}

}  // namespace patchkit
