#include "tools/patchkit/tree_scan.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "manifest/layouts.h"
#include "manifest/manifests.h"
#include "manifest/name_rule.h"
#include "tools/patchkit/entry_names.h"
#include "tools/patchkit/field_text.h"
#include "tools/patchkit/host_paths.h"

namespace patchkit {
namespace {

namespace fs = std::filesystem;

struct Walk {
    const std::string& root;
    const ScanOptions& options;
    Findings& findings;
    Progress& progress;
    std::vector<TreeItem> items;

    void problem(const std::string& relative, const std::string& reason) { findings.error(joinPath(root, relative), "", reason); }

    bool skipped(const std::string& name) const {
        for (const std::string& skip : options.skipAtTop) {
            if (manifest::namesMatch(skip.c_str(), name.c_str())) return true;
        }
        return false;
    }

    // The entry name for a host path, or false with a finding.
    bool entryNameOf(const std::string& relative, bool directory, std::string& name) {
        std::string why;
        if (relative.find('\\') != std::string::npos) {
            problem(relative, "has a backslash in a name, which Windows reads as a separator");
            return false;
        }
        std::string withBackslashes = relative;
        std::replace(withBackslashes.begin(), withBackslashes.end(), '/', '\\');
        if (!cp932Of(withBackslashes, name, why)) {
            problem(relative, "cannot be named in code page 932: " + why);
            return false;
        }
        // The updater takes every name whose last byte is 0x5C for a folder, and 表 or ソ end
        // in that byte: such a file would be made a folder.
        if (!directory && name.back() == '\\') {
            problem(relative, "ends in a double-byte character whose second byte is 0x5C; the updater would take the file for a folder");
            return false;
        }
        if (directory) name += '\\';
        if (name.size() + 1 > manifest::kNameWidth) {
            problem(relative, "takes " + std::to_string(name.size()) + " bytes as an entry name; at most " +
                                  std::to_string(manifest::kNameWidth - 1) + " fit");
            return false;
        }
        if (std::string unsafe = manifest::nameProblem(name); !unsafe.empty()) {
            problem(relative, "would be refused by the updater: " + unsafe);
            return false;
        }
        return true;
    }

    void folder(const std::string& relative) {
        std::error_code error;
        fs::directory_iterator it(fsPathOf(joinPath(root, relative)), error);
        if (error) {
            problem(relative, "cannot be listed: " + error.message());
            return;
        }
        std::vector<std::pair<std::string, fs::directory_entry>> children;
        for (; it != fs::directory_iterator(); it.increment(error)) {
            if (error) break;
            children.emplace_back(utf8Of(it->path().filename()), *it);
        }
        if (error) {
            problem(relative, "cannot be listed: " + error.message());
            return;
        }
        for (auto& [leaf, entry] : children) {
            std::string path = relative.empty() ? leaf : relative + "/" + leaf;
            item(path, entry);
        }
    }

    void item(const std::string& relative, const fs::directory_entry& entry) {
        std::error_code error;
        fs::file_status status = entry.symlink_status(error);
        if (error) {
            problem(relative, "cannot be examined: " + error.message());
            return;
        }
        if (fs::is_symlink(status)) {
            problem(relative, "is a symbolic link; a package carries plain files and folders only");
            return;
        }
        bool directory = fs::is_directory(status);
        if (!directory && !fs::is_regular_file(status)) {
            problem(relative, "is neither a plain file nor a folder");
            return;
        }
        TreeItem found;
        found.relativePath = relative;
        found.directory = directory;
        if (!entryNameOf(relative, directory, found.name)) return;
        if (relative.find('/') == std::string::npos && skipped(directory ? found.name.substr(0, found.name.size() - 1) : found.name)) {
            return;
        }
        if (!directory) {
            found.size = entry.file_size(error);
            if (error) {
                problem(relative, "has no readable size: " + error.message());
                return;
            }
        }
        items.push_back(found);
        progress.show("scanning", items.size(), 0, "items");
        if (directory) folder(relative);
    }
};

}  // namespace

std::vector<TreeItem> scanTree(const std::string& rootUtf8, const ScanOptions& options, Findings& findings, Progress& progress) {
    Walk walk{rootUtf8, options, findings, progress, {}};
    walk.folder("");
    progress.finish();
    std::sort(walk.items.begin(), walk.items.end(), [](const TreeItem& a, const TreeItem& b) { return a.name < b.name; });

    std::vector<std::string> names;
    for (const TreeItem& item : walk.items) names.push_back(item.name);
    for (const NameClash& clash : findNameClashes(names)) {
        if (options.listed.count(names[clash.first]) && options.listed.count(names[clash.second])) continue;
        walk.problem(walk.items[clash.second].relativePath, describeClash(clash.kind, walk.items[clash.first].relativePath));
    }
    return walk.items;
}

}  // namespace patchkit
