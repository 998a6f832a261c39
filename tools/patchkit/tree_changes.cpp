#include "tools/patchkit/tree_changes.h"

#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "platform/file_path.h"
#include "tools/patchkit/file_transfer.h"
#include "tools/patchkit/host_paths.h"

namespace patchkit {
namespace {

namespace fs = std::filesystem;

bool differs(const TreeItem& item, const std::string& newRoot, const std::string& oldRoot, Findings& findings) {
    std::string oldPath = joinPath(oldRoot, item.relativePath);
    std::error_code error;
    fs::file_status status = fs::symlink_status(fsPathOf(oldPath), error);
    if (item.directory) return !fs::is_directory(status);
    if (!fs::is_regular_file(status)) return true;
    if (fs::file_size(fsPathOf(oldPath), error) != item.size || error) return true;

    std::string newNarrow, oldNarrow, why;
    if (!filePathOf(joinPath(newRoot, item.relativePath), newNarrow, why) || !filePathOf(oldPath, oldNarrow, why)) {
        findings.error(oldPath, "", why);
        return true;
    }
    bool same = false;
    if (!sameContent(newNarrow, oldNarrow, same, why)) {
        findings.error(item.relativePath, "", "cannot be compared with " + oldPath + ": " + why);
        return true;
    }
    return !same;
}

}  // namespace

std::vector<TreeItem> changedSince(const std::vector<TreeItem>& items, const std::string& newRootUtf8, const std::string& oldRootUtf8,
                                   Findings& findings, Progress& progress) {
    std::unordered_map<std::string, size_t> indexOfFolder;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].directory) indexOfFolder.emplace(items[i].name, i);
    }
    std::vector<bool> wanted(items.size(), false);
    for (size_t i = 0; i < items.size(); ++i) {
        progress.show("comparing", i + 1, items.size(), "items");
        if (!differs(items[i], newRootUtf8, oldRootUtf8, findings)) continue;
        wanted[i] = true;
        if (items[i].directory) continue;
        for (std::string folder = platform::getParentFolder(items[i].name); !folder.empty(); folder = platform::getParentFolder(folder)) {
            auto it = indexOfFolder.find(folder + "\\");
            if (it != indexOfFolder.end()) wanted[it->second] = true;
        }
    }
    progress.finish();
    std::vector<TreeItem> selected;
    for (size_t i = 0; i < items.size(); ++i) {
        if (wanted[i]) selected.push_back(items[i]);
    }
    return selected;
}

}  // namespace patchkit
