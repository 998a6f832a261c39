#pragma once

#include <string>
#include <vector>

namespace engine {

// What a normal-mode run changed on disk, in the order it changed it, so that a failed or
// cancelled run can be undone. Paths are full code page 932 paths; nothing is ever taken out.
struct ChangeJournal {
    // Installation folder + a directory entry's name, trailing backslash kept; recorded
    // whether the directory was made now or existed before.
    std::vector<std::string> createdDirectories;
    // Targets opened for writing.
    std::vector<std::string> writtenFiles;
    // Target + ".bak", recorded only when the old file was moved there.
    std::vector<std::string> backupFiles;
};

}  // namespace engine
