#include "engine/preflight.h"

#include <unordered_map>
#include <unordered_set>

#include "engine/apply_update.h"
#include "engine/backup_name.h"
#include "engine/engine_messages.h"
#include "engine/joined_paths.h"
#include "engine/target_lookups.h"
#include "platform/file_path.h"
#include "platform/files.h"

namespace engine {
namespace {

using manifest::ManifestEntry;

class Check {
public:
    Check(const manifest::UpdateManifest& update, bool removal, const std::string& installFolder, const std::string& dataFolder)
        : update_(update), removal_(removal), installFolder_(installFolder), dataFolder_(dataFolder) {}

    Preflight run() {
        const uint32_t count = update_.header.entryCount;
        result_.fileBefore.assign(removal_ ? 0 : count, false);
        for (uint32_t i = 0; i < count && !result_.refusalSuffix; ++i) entry(i);
        return result_;
    }

private:
    void refuse(const std::string& subject, const char* suffix) {
        result_.refusedSubject = subject;
        result_.refusalSuffix = suffix;
    }

    // Entry i, with what the run will have done by then, by the file service's key: the
    // folders made, the targets written, and the backups taken of the files that were there.
    void entry(uint32_t i) {
        const ManifestEntry& entry = update_.entries[i];
        const std::string target = installFolder_ + entry.name;
        // What the target holds, looked at once for a file entry of a normal run, and for a
        // directory entry only where it decides something.
        platform::Files& files = platform::files();
        uint32_t attributes = platform::kInvalidFileAttributes, error = platform::kErrorSuccess;
        bool lookedAt = false;
        auto lookAt = [&] {
            if (!lookedAt) {
                attributes = files.getFileAttributes(target.c_str());
                if (attributes == platform::kInvalidFileAttributes) error = files.getLastError();
                lookedAt = true;
            }
            return attributes;
        };
        for (const JoinedPath& joined : joinedPathsOf(entry, removal_, installFolder_, dataFolder_)) {
            if (joined.fits()) continue;
            // A target that cannot be named cannot be looked at; a backup is made only of a file
            // that is there and that no earlier entry brought.
            if (joined.kind == JoinedPath::Backup && (lookAt() == platform::kInvalidFileAttributes ||
                                                      (attributes & platform::kFileAttributeDirectory) || written_.count(keyOf(target)))) {
                continue;
            }
            if (joined.kind == JoinedPath::Folder && !folderWillBeMade(joined.path)) continue;
            refuse(entry.name, messages::kPathTooLongSuffix);
            return;
        }
        // Where the look-up of a name answers with two files (a Linux folder under Wine holding
        // a.txt beside A.txt), deleting one hands the name to the other, which a name listed
        // again would then delete.
        if (removal_) {
            if (!manifest::isDirectoryEntry(entry) && entriesAnswering(target) > 1) refuse(target, messages::kDeleteFailedSuffix);
            return;
        }
        const std::string key = keyOf(target);
        if (manifest::isDirectoryEntry(entry)) {
            for (const std::string& folder : directoryChainOf(target)) {
                if (!written_.count(keyOf(folder))) foldersMade_.insert(keyOf(folder));
            }
            return;
        }
        lookAt();
        const bool folder = attributes != platform::kInvalidFileAttributes && (attributes & platform::kFileAttributeDirectory);
        const bool unknown = attributes == platform::kInvalidFileAttributes && !nothingToBackUp(error);
        const bool there = attributes != platform::kInvalidFileAttributes && !folder;
        const std::string backupKey = keyOf(backupPathOf(target));
        // A file entry never moves a folder to its backup name, nor writes over a look-up that
        // failed; a file that is there would back up over a fresh copy, or is a backup itself.
        // Where a file is there, no directory entry makes a folder of its name.
        if (folder || unknown || (!there && foldersMade_.count(key)) || (there && written_.count(backupKey)) || backups_.count(key)) {
            refuse(target, messages::kBackupFailedSuffix);
            return;
        }
        // Where the look-up of the name answers with more than one file (a Linux folder under
        // Wine holding a.txt beside A.txt), moving the old file to its backup hands the name to
        // the other one: the fresh copy could not be made without emptying it, and the old
        // file could not be moved back. A backup name of two files would hide the old content
        // behind the other one.
        if (there && entriesAnswering(target) > 1) {
            refuse(target, messages::kOpenFailedSuffix);
            return;
        }
        if (there && entriesAnswering(backupPathOf(target)) > 1) {
            refuse(target, messages::kBackupFailedSuffix);
            return;
        }
        // A name listed again is the file its first entry brought, which took its backup then;
        // where the file system keeps the two names apart (a folder that tells letter case),
        // the key merged two files, and the second would be lost to the first one's backup.
        auto first = written_.find(key);
        if (first == written_.end()) {
            written_.emplace(key, target);
            if (there) backups_.insert(backupKey);
        } else if (there && !oneFile(first->second, target)) {
            refuse(target, messages::kBackupFailedSuffix);
            return;
        }
        result_.fileBefore[i] = there;
    }

    // CreateDirectoryA makes nothing over a file, nor below one: the longest folder of a
    // directory entry is made only where it is missing and no file holds it or a folder above
    // it, now or once an earlier entry has written or backed up a file there.
    bool folderWillBeMade(const std::string& longest) {
        platform::Files& files = platform::files();
        if (files.getFileAttributes(longest.c_str()) != platform::kInvalidFileAttributes) return false;
        for (const std::string& folder : directoryChainOf(longest)) {
            const uint32_t attributes = files.getFileAttributes(folder.c_str());
            const bool file = attributes != platform::kInvalidFileAttributes && !(attributes & platform::kFileAttributeDirectory);
            if (file || written_.count(keyOf(folder)) || backups_.count(keyOf(folder))) return false;
        }
        return true;
    }

    // How many of what the target's folder holds the file service's key takes for the target.
    // Each folder is listed once, when a target in it is first asked about.
    size_t entriesAnswering(const std::string& target) {
        const std::string folder = target.substr(0, platform::lastSeparatorOf(target) + 1);
        auto [listing, fresh] = folderListings_.try_emplace(keyOf(folder));
        if (fresh) {
            std::vector<std::string> names;
            platform::files().listFolder(folder.c_str(), names);
            for (const std::string& name : names) {
                if (!name.empty()) ++listing->second[keyOf(folder + name)];
            }
        }
        auto found = listing->second.find(keyOf(target));
        return found == listing->second.end() ? 0 : found->second;
    }

    static bool oneFile(const std::string& first, const std::string& second) {
        platform::FileIdentity a, b;
        return !identityOf(first, a) || !identityOf(second, b) || a == b;
    }

    const manifest::UpdateManifest& update_;
    const bool removal_;
    const std::string& installFolder_;
    const std::string& dataFolder_;
    std::unordered_set<std::string> foldersMade_, backups_;
    std::unordered_map<std::string, std::string> written_;  // by key, the first target written
    // By the folder's key, how many of its entries each key stands for.
    std::unordered_map<std::string, std::unordered_map<std::string, size_t>> folderListings_;
    Preflight result_;
};

}  // namespace

Preflight preflight(const manifest::UpdateManifest& update, bool removal, const std::string& installFolder, const std::string& dataFolder) {
    return Check(update, removal, installFolder, dataFolder).run();
}

}  // namespace engine
