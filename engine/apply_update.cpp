#include "engine/apply_update.h"

#include <unordered_set>

#include "engine/backup_name.h"
#include "engine/copy_progress.h"
#include "engine/engine_messages.h"
#include "engine/path_limit.h"
#include "engine/record_upkeep.h"
#include "engine/run_state.h"
#include "manifest/manifests.h"
#include "platform/files.h"
#include "platform/ui.h"
#include "support/file.h"

namespace engine {
namespace {

using manifest::ManifestEntry;

// No owner, OK only, no icon, the system's default caption. The progress dialog stays on
// screen behind it.
void showFailure(const std::string& subject, const char* suffix) {
    platform::ui().messageBox((subject + suffix).c_str(), nullptr, platform::kMbOk);
}

// Whether every path the entry joins fits the platform's path buffer. Only the paths the
// mode builds count: a removal never reads the payload nor makes a backup, and skips
// directory entries altogether.
bool joinedPathsFit(const ManifestEntry& entry, bool removal, const std::string& installFolder,
                    const std::string& dataFolder) {
    std::string target = installFolder + entry.name;
    if (manifest::isDirectoryEntry(entry)) return removal || fitsPathBuffer(target);
    if (removal) return fitsPathBuffer(target);
    return fitsPathBuffer(backupPathOf(target)) && fitsPathBuffer(dataFolder + entry.name);
}

// A backup move or a look-up that failed because there is no old file: the file is new, or its
// name can name no file at all.
bool nothingToBackUp(uint32_t error) {
    return error == platform::kErrorFileNotFound || error == platform::kErrorPathNotFound || error == platform::kErrorInvalidName;
}

class UpdateRun {
public:
    UpdateRun(ProgressDialogUi& ui, ProgressDialog dialog, const std::string& installFolder, const std::string& dataFolder)
        : ui_(ui), dialog_(dialog), installFolder_(installFolder), dataFolder_(dataFolder), state_(runState()) {}

    void applyDirectoryEntry(const ManifestEntry& entry) {
        std::string path = installFolder_ + entry.name;
        createDirectoryChain(path);
        // Recorded even when the folder was there before: rollback removes it if it is empty.
        state_.changeJournal.createdDirectories.push_back(path);
        manifest::UninstallManifest& record = state_.uninstallManifest;
        if (record.findEntry(entry.name) == record.header.entryCount) record.appendEntry(entry);
    }

    bool applyFileEntry(const ManifestEntry& entry) {
        // Both made first and, on every way out, destroyed source first: no file of the run
        // is open when a rollback deletes or moves it. The target stays open until the
        // record is in step.
        support::CFile target;
        support::CFile source;
        const bool removal = state_.RemovalMode;
        const std::string targetPath = installFolder_ + entry.name;

        std::string status = entry.name;
        status += removal ? messages::kDeletingSuffix : messages::kCopyingSuffix;
        ui_.setStatusText(dialog_, status.c_str());
        // Read-only, hidden and system go, so that neither the move to the backup name nor
        // the deletion is refused for them. The target need not exist.
        platform::files().setFileAttributes(targetPath.c_str(), platform::kFileAttributeNormal);

        if (removal) {
            if (!platform::files().deleteFile(targetPath.c_str())) {
                showFailure(targetPath, messages::kDeleteFailedSuffix);
                return false;
            }
        } else if (!copyFile(entry, targetPath, target, source)) {
            return false;
        }
        keepRecordInStep(state_.uninstallManifest, entry, removal);
        return true;
    }

private:
    bool copyFile(const ManifestEntry& entry, const std::string& targetPath, support::CFile& target, support::CFile& source) {
        ChangeJournal& journal = state_.changeJournal;
        if (!backUpOldFile(targetPath)) {
            showFailure(targetPath, messages::kBackupFailedSuffix);
            return false;
        }
        if (!target.open(targetPath, support::FileOpenMode::Write)) {
            showFailure(targetPath, messages::kOpenFailedSuffix);
            return false;
        }
        journal.writtenFiles.push_back(targetPath);
        const std::string sourcePath = dataFolder_ + entry.name;
        if (!source.open(sourcePath, support::FileOpenMode::Read)) {
            showFailure(sourcePath, messages::kOpenFailedSuffix);
            return false;
        }

        uint64_t copied = 0;
        for (;;) {
            uint32_t value = progressValue(source.size(), source.tell());
            ui_.setProgress(dialog_, value + 1);
            ui_.setProgress(dialog_, value);
            uint32_t moved = target.copyFrom(source, kChunkSize);
            copied += moved;
            if (moved < kChunkSize) break;
            // The dialog lives on this one message per full chunk; a Cancel clicked on it
            // arrives here and nowhere else.
            ui_.pumpOneMessage();
            if (state_.cancelRequested == 1) return false;
        }
        // A failed read or write, or a disk that filled up, shows only as a short step, which
        // also ends the copy; only the whole file counts as brought.
        if (copied != source.size()) {
            showFailure(targetPath, messages::kWriteFailedSuffix);
            return false;
        }
        ui_.setProgress(dialog_, 100);
        ui_.setProgress(dialog_, 99);
        ui_.setProgress(dialog_, 100);
        return true;
    }

    // Moves the old file to its backup name, or finds that there is nothing to move; false
    // where the old file would lose its only copy. Whether two names are one file is the file
    // system's question (its key): the record's A-Z fold takes ア for ヂ, and Windows takes ａ
    // for Ａ, which the fold does not.
    bool backUpOldFile(const std::string& targetPath) {
        platform::Files& files = platform::files();
        const std::string backupPath = backupPathOf(targetPath);
        const std::string targetKey = keyOf(targetPath);
        // A file the run has brought already had its old content moved aside then; moving its
        // fresh copy would replace that backup.
        if (!filesBrought_.insert(targetKey).second) return true;
        // A backup the run has made holds another file's old content, which this file's own
        // backup move would take on to a ".bak.bak" name where a rollback never looks.
        const bool targetIsABackup = backupsMade_.count(targetKey) > 0;
        // Nor may the backup go over a file the run has brought: rollback deletes that file.
        const std::string backupKey = keyOf(backupPath);
        if (targetIsABackup || filesBrought_.count(backupKey)) return !fileThere(targetPath);
        if (files.moveFileReplace(targetPath.c_str(), backupPath.c_str())) {
            state_.changeJournal.backupFiles.push_back(backupPath);
            backupsMade_.insert(backupKey);
            return true;
        }
        // The move fails as a matter of course for a file the installation lacks, and says so:
        // only another failure costs a look-up. When the old file is still there, opening it for
        // writing would empty it with no copy kept anywhere.
        return nothingToBackUp(files.getLastError()) || !fileThere(targetPath);
    }

    // Whether a file may be there, whose content opening it for writing would lose. A folder
    // is no such file: it cannot be opened, and that failure says so.
    static bool fileThere(const std::string& path) {
        platform::Files& files = platform::files();
        uint32_t attributes = files.getFileAttributes(path.c_str());
        if (attributes == platform::kInvalidFileAttributes) return !nothingToBackUp(files.getLastError());
        return (attributes & platform::kFileAttributeDirectory) == 0;
    }

    // A path the file system cannot name has no key, and is taken for no other file.
    std::string keyOf(const std::string& path) {
        std::string key = platform::files().fileKeyOf(path.c_str());
        return key.empty() ? "\n" + path : key;
    }

    ProgressDialogUi& ui_;
    ProgressDialog dialog_;
    const std::string& installFolder_;
    const std::string& dataFolder_;
    RunState& state_;
    // By the file system's key: the targets of the file entries handled so far, and the
    // backups made of them.
    std::unordered_set<std::string> filesBrought_;
    std::unordered_set<std::string> backupsMade_;
};

}  // namespace

bool applyUpdate(ProgressDialogUi& ui, ProgressDialog progressDialog, const std::string& installFolder,
                 const std::string& dataFolder) {
    RunState& state = runState();
    const manifest::UpdateManifest& update = state.updateManifest;
    const uint32_t count = update.header.entryCount;

    // A path the system would refuse or cut must not surface halfway through, with part of
    // the update in place: every one is checked before the first change, the installation
    // folder's creation included.
    for (uint32_t i = 0; i < count; ++i) {
        if (!joinedPathsFit(update.entries[i], state.RemovalMode, installFolder, dataFolder)) {
            showFailure(update.entries[i].name, messages::kPathTooLongSuffix);
            return false;
        }
    }

    createDirectoryChain(installFolder);
    UpdateRun run(ui, progressDialog, installFolder, dataFolder);
    for (uint32_t i = 0; i < count; ++i) {
        const ManifestEntry& entry = update.entries[i];
        if (manifest::isDirectoryEntry(entry)) {
            if (!state.RemovalMode) run.applyDirectoryEntry(entry);
        } else if (!run.applyFileEntry(entry)) {
            return false;
        }
    }
    return true;
}

}  // namespace engine
