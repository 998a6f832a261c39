#include "engine/rollback.h"

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
    for (const std::string& path : journal.writtenFiles) files.deleteFile(path.c_str());
    for (const std::string& backup : journal.backupFiles) {
        files.moveFileReplace(backup.c_str(), backedUpPathOf(backup).c_str());
    }
    for (const std::string& path : journal.createdDirectories) files.removeDirectory(path.c_str());
}

}  // namespace engine
