#include "platform/windows_name_lookup.h"

#include <vector>

#include "platform/file_path.h"

namespace platform {

std::string WindowsNameLookup::realPathOf(const PathKey& path) {
    if (real_.getFileAttributes(path.path.c_str()) != kInvalidFileAttributes) return path.path;
    PathKey parent;
    if (!parentOf(path, parent)) return {};
    std::string folder = realPathOf(parent);
    if (folder.empty()) return {};
    ensureTrailingSeparator(folder);
    auto [listing, listed] = namesByFolder_.try_emplace(parent.key);
    if (listed) {
        std::vector<std::string> names;
        listRealFolder(folder, names);
        for (const std::string& name : names) {
            PathKey child;
            if (!name.empty() && windowsPathKeyOf(folder + name, child)) listing->second.emplace(child.key, name);
        }
    }
    auto name = listing->second.find(path.key);
    return name == listing->second.end() ? std::string() : folder + name->second;
}

}  // namespace platform
