#include "engine/apply_update.h"

#include <set>
#include <unordered_set>

#include "engine/backup_name.h"
#include "engine/copy_progress.h"
#include "engine/engine_messages.h"
#include "engine/preflight.h"
#include "engine/record_upkeep.h"
#include "engine/run_state.h"
#include "engine/target_lookups.h"
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

class UpdateRun {
public:
    UpdateRun(ProgressDialogUi& ui, ProgressDialog dialog, const std::string& installFolder, const std::string& dataFolder,
              const std::vector<bool>& fileBefore)
        : ui_(ui), dialog_(dialog), installFolder_(installFolder), dataFolder_(dataFolder), fileBefore_(fileBefore), state_(runState()) {}

    void applyDirectoryEntry(const ManifestEntry& entry) {
        std::string path = installFolder_ + entry.name;
        createDirectoryChain(path);
        // Recorded even when the folder was there before: rollback removes it if it is empty.
        state_.changeJournal.createdDirectories.push_back(path);
        manifest::UninstallManifest& record = state_.uninstallManifest;
        if (record.findEntry(entry.name) == record.header.entryCount) record.appendEntry(entry);
    }

    bool applyFileEntry(uint32_t index, const ManifestEntry& entry) {
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
        // the deletion is refused for them. Where no file was there, there are none.
        if (removal || fileBefore_[index]) platform::files().setFileAttributes(targetPath.c_str(), platform::kFileAttributeNormal);

        if (removal) {
            if (!platform::files().deleteFile(targetPath.c_str())) {
                showFailure(targetPath, messages::kDeleteFailedSuffix);
                return false;
            }
        } else if (!copyFile(entry, targetPath, fileBefore_[index], target, source)) {
            return false;
        }
        keepRecordInStep(state_.uninstallManifest, entry, removal);
        return true;
    }

private:
    bool copyFile(const ManifestEntry& entry, const std::string& targetPath, bool fileBefore, support::CFile& target, support::CFile& source) {
        ChangeJournal& journal = state_.changeJournal;
        bool replace = false;
        if (!backUpOldFile(targetPath, fileBefore, replace)) {
            showFailure(targetPath, messages::kBackupFailedSuffix);
            return false;
        }
        // Only a file this run brought is opened as it is; anything else is made new, and a
        // name that holds a file after all (a twin that no key foresaw) fails here, whole.
        if (!target.open(targetPath, replace ? support::FileOpenMode::Write : support::FileOpenMode::WriteNew)) {
            showFailure(targetPath, messages::kOpenFailedSuffix);
            return false;
        }
        journal.writtenFiles.push_back(targetPath);
        // Without its identity a later name for this file could not be told from another file.
        platform::FileIdentity written;
        if (!target.identify(written)) {
            showFailure(targetPath, messages::kOpenFailedSuffix);
            return false;
        }
        brought_.insert(written);
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
    // where the old file would lose its only copy. `replace` goes true for a file this run
    // brought, whose old content went aside when it was brought.
    //
    // Whether a name is a file the run brought is the file's own question where the name
    // holds one: twins of a name, 8.3 names, folders marked case-sensitive and the code
    // page's default character all lead to one file by names that no key takes for one
    // another, or to two by names that a key merges. A name that holds nothing has only its
    // key. Whether a name is a backup this run made stays a question of names: the rollback
    // moves names back.
    bool backUpOldFile(const std::string& targetPath, bool fileBefore, bool& replace) {
        platform::Files& files = platform::files();
        const std::string targetKey = keyOf(targetPath);
        const bool listedBefore = !broughtKeys_.insert(targetKey).second;
        if ((fileBefore || listedBefore) && isBrought(targetPath)) {
            replace = true;
            return true;
        }
        // Nothing was there before the run: the open makes the file, or finds a twin and fails.
        if (!fileBefore) return true;
        const std::string backupPath = backupPathOf(targetPath), backupKey = keyOf(backupPath);
        // A backup the run has made holds another file's old content, which this file's own
        // backup move would take on to a ".bak.bak" name where a rollback never looks, or which
        // a move onto it would replace (a file listed again whose identity could not be told);
        // nor may the backup go over a file the run has brought, which rollback deletes.
        if (backupsMade_.count(targetKey) || backupsMade_.count(backupKey) || isBrought(backupPath)) return !fileThere(targetPath);
        // An older backup is replaced, read-only or not: Windows refuses a move onto a
        // read-only file, which Wine makes.
        files.setFileAttributes(backupPath.c_str(), platform::kFileAttributeNormal);
        if (files.moveFileReplace(targetPath.c_str(), backupPath.c_str())) {
            state_.changeJournal.backupFiles.push_back(backupPath);
            backupsMade_.insert(backupKey);
            return true;
        }
        // The file may have gone since the run began: only another failure costs a look-up.
        // When the old file is still there, writing would empty it with no copy kept anywhere.
        return nothingToBackUp(files.getLastError()) || !fileThere(targetPath);
    }

    bool isBrought(const std::string& path) const {
        platform::FileIdentity identity;
        return !brought_.empty() && identityOf(path, identity) && brought_.count(identity) > 0;
    }

    ProgressDialogUi& ui_;
    ProgressDialog dialog_;
    const std::string& installFolder_;
    const std::string& dataFolder_;
    const std::vector<bool>& fileBefore_;
    RunState& state_;
    // The files the run has written, by their identity, and by the file service's key the
    // names it wrote them under and the backups it made.
    std::set<platform::FileIdentity> brought_;
    std::unordered_set<std::string> broughtKeys_;
    std::unordered_set<std::string> backupsMade_;
};

}  // namespace

bool applyUpdate(ProgressDialogUi& ui, ProgressDialog progressDialog, const std::string& installFolder,
                 const std::string& dataFolder) {
    RunState& state = runState();
    const manifest::UpdateManifest& update = state.updateManifest;
    const uint32_t count = update.header.entryCount;

    // Whatever the entries and the installation decide must not surface halfway through, with
    // part of the update in place: every refusal is found before the first change, the
    // installation folder's creation included.
    Preflight checked = preflight(update, state.RemovalMode, installFolder, dataFolder);
    if (checked.refusalSuffix) {
        showFailure(checked.refusedSubject, checked.refusalSuffix);
        return false;
    }

    createDirectoryChain(installFolder);
    UpdateRun run(ui, progressDialog, installFolder, dataFolder, checked.fileBefore);
    for (uint32_t i = 0; i < count; ++i) {
        const ManifestEntry& entry = update.entries[i];
        if (manifest::isDirectoryEntry(entry)) {
            if (!state.RemovalMode) run.applyDirectoryEntry(entry);
        } else if (!run.applyFileEntry(i, entry)) {
            return false;
        }
    }
    return true;
}

}  // namespace engine
