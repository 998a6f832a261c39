#include "engine/rollback.h"

#include <unordered_set>

#include "engine/backup_name.h"
#include "engine/run_state.h"
#include "platform/files.h"

namespace engine {

void rollbackChanges() {
    const ChangeJournal& journal = runState().changeJournal;
    platform::Files& files = platform::files();
    // Written files go first, so that each backup finds its old name free; where a written
    // file could not be deleted, the move's replace still puts the old content back. Folders
    // come last, when nothing written is left in them. Every failure is passed over: undoing
    // as much as the file system allows is all that can be done.
    std::unordered_set<std::string> notDeleted;
    for (const std::string& path : journal.writtenFiles) {
        if (!files.deleteFile(path.c_str())) notDeleted.insert(path);
    }
    // A name that still holds a file other than the one the run wrote there keeps it, and the
    // backup stays under its ".bak" name: where a folder keeps names apart in letter case (any
    // Linux folder under Wine), the system's look-up of a name that is gone finds its twin, and
    // the move back would replace that file.
    for (const std::string& backup : journal.backupFiles) {
        const std::string path = backedUpPathOf(backup);
        if (!notDeleted.count(path) && files.getFileAttributes(path.c_str()) != platform::kInvalidFileAttributes) continue;
        files.moveFileReplace(backup.c_str(), path.c_str());
    }
    for (const std::string& path : journal.createdDirectories) files.removeDirectory(path.c_str());
}

}  // namespace engine
