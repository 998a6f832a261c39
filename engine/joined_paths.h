#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "manifest/layouts.h"

// The paths a run joins for one entry of an update, and the longest each may be, for an
// installation folder and an update's data folder given as the updater joins names to them
// (each ending in a separator). The engine checks them before its first change; patchkit
// asks the same for a package and a folder it is told of.
namespace engine {

struct JoinedPath {
    enum Kind {
        Target,   // installFolder + name: the file written or deleted, or the folder made
        Backup,   // normal mode, a file entry: the target + ".bak", used only where a file is there
        Payload,  // normal mode, a file entry: dataFolder + name, read
        Folder,   // normal mode, a directory entry: the longest folder it makes, made only where it is missing
    };
    Kind kind;
    std::string path;
    size_t longest;  // the path buffer's, or CreateDirectoryA's shorter limit for a Folder
    bool fits() const { return path.size() <= longest; }
};

// Every path the mode builds for the entry, in the order the run uses them. A removal reads no
// payload, makes no backup and passes over directory entries altogether.
std::vector<JoinedPath> joinedPathsOf(const manifest::ManifestEntry& entry, bool removal, const std::string& installFolder,
                                      const std::string& dataFolder);

}  // namespace engine
