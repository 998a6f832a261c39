#include "tools/patchkit/package_packing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/file_path.h"
#include "tools/patchkit/host_paths.h"
#include "tools/patchkit/package_check.h"
#include "tools/patchkit/tree_scan.h"
#include "tools/patchkit/updater_image_check.h"
#include "tools/patchkit/zip_writer.h"

namespace patchkit {
namespace {

namespace fs = std::filesystem;

// An entry name as a zip member's: every separator a '/', the 0x5C trail byte of 表 or ソ left
// in its character.
std::string memberNameOf(std::string name) {
    for (size_t i = 0; i < name.size(); ++i) {
        if (platform::isPathSeparatorAt(name, i)) name[i] = '/';
    }
    return name;
}

bool isProgramBesideTheManifest(const TreeItem& item) {
    return !item.directory && item.relativePath.find('/') == std::string::npos && isUpdaterProgramName(item.relativePath);
}

// The members in their order, into a zip at `narrowZip`, closed once written.
bool writeMembers(const std::vector<TreeItem>& items, const std::string& packageDirUtf8, const std::string& narrowZip,
                  const std::string& zipUtf8, Findings& findings, Progress& progress, PackSummary& summary) {
    ZipWriter zip;
    std::string narrow, why;
    if (!zip.create(narrowZip, why)) {
        findings.error(zipUtf8, "", why);
        return false;
    }
    uint64_t total = 0;
    for (const TreeItem& item : items) total += item.size;
    for (const TreeItem& item : items) {
        std::string name = memberNameOf(item.name);
        std::string path = joinPath(packageDirUtf8, item.relativePath);
        bool added = false;
        if (item.directory) {
            added = zip.addFolder(name, why);
        } else {
            auto onProgress = [&](uint64_t read) { progress.show("packing", summary.bytes + read, total, "bytes"); };
            added = filePathOf(path, narrow, why) && zip.addFile(name, narrow, why, onProgress);
            summary.bytes += item.size;
        }
        if (!added) {
            progress.finish();
            findings.error(path, "", why);
            return false;
        }
    }
    progress.finish();
    if (!zip.finish(why)) {
        findings.error(zipUtf8, "", why);
        return false;
    }
    summary.members = zip.members();
    summary.archiveBytes = zip.bytesWritten();
    return true;
}

}  // namespace

bool packPackage(const PackRequest& request, Findings& findings, Progress& progress, PackSummary& summary) {
    CheckRequest check;
    check.packageDir = request.packageDir;
    check.removal = request.removal;
    checkPackage(check, findings, progress);
    if (size_t errors = findings.count(Severity::Error); errors > 0) {
        findings.error(request.packageDir, "", "is not packed: check finds " + std::to_string(errors) + (errors == 1 ? " error" : " errors"));
        return false;
    }
    return writePackageArchive(request.packageDir, request.archivePath, findings, progress, summary);
}

bool writePackageArchive(const std::string& packageDirUtf8, const std::string& archivePathUtf8, Findings& findings, Progress& progress,
                         PackSummary& summary) {
    if (isInside(archivePathUtf8, packageDirUtf8)) {
        findings.error(archivePathUtf8, "", "lies inside the package it would hold");
        return false;
    }
    size_t errorsBefore = findings.count(Severity::Error);
    std::vector<TreeItem> items = scanTree(packageDirUtf8, ScanOptions{}, findings, progress);
    if (findings.count(Severity::Error) > errorsBefore) return false;
    std::stable_partition(items.begin(), items.end(), isProgramBesideTheManifest);

    // Written beside its place and moved there whole, so that a pack that fails leaves no zip
    // that looks finished.
    std::string partial = archivePathUtf8 + ".partial";
    std::string narrow, why;
    if (!filePathOf(partial, narrow, why)) {
        findings.error(partial, "", why);
        return false;
    }
    std::error_code error;
    if (writeMembers(items, packageDirUtf8, narrow, partial, findings, progress, summary)) {
        fs::rename(fsPathOf(partial), fsPathOf(archivePathUtf8), error);
        if (!error) return true;
        findings.error(archivePathUtf8, "", "cannot take the place of what is there: " + error.message());
    }
    fs::remove(fsPathOf(partial), error);
    return false;
}

}  // namespace patchkit
