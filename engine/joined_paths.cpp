#include "engine/joined_paths.h"

#include <algorithm>

#include "engine/apply_update.h"
#include "engine/backup_name.h"
#include "engine/path_limit.h"
#include "manifest/manifests.h"

namespace engine {

std::vector<JoinedPath> joinedPathsOf(const manifest::ManifestEntry& entry, bool removal, const std::string& installFolder,
                                      const std::string& dataFolder) {
    std::vector<JoinedPath> paths;
    const std::string target = installFolder + entry.name;
    const bool directory = manifest::isDirectoryEntry(entry);
    if (removal && directory) return paths;
    paths.push_back({JoinedPath::Target, target, kLongestPath});
    if (removal) return paths;
    if (directory) {
        std::string longest;
        for (const std::string& folder : directoryChainOf(target)) {
            if (folder.size() > longest.size()) longest = folder;
        }
        paths.push_back({JoinedPath::Folder, longest, platform::kLongestFolderPath});
    } else {
        paths.push_back({JoinedPath::Backup, backupPathOf(target), kLongestPath});
        paths.push_back({JoinedPath::Payload, dataFolder + entry.name, kLongestPath});
    }
    return paths;
}

}  // namespace engine
