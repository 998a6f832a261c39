#include "tools/patchkit/install_audit.h"

#include <unordered_map>

#include "engine/backup_name.h"
#include "engine/shortcut_links.h"
#include "manifest/manifests.h"
#include "manifest/package_names.h"
#include "manifest/text_fields.h"
#include "platform/file_path.h"
#include "platform/files.h"
#include "platform/windows_name_lookup.h"
#include "support/file.h"
#include "tools/patchkit/entry_names.h"
#include "tools/patchkit/entry_totals.h"
#include "tools/patchkit/field_text.h"
#include "tools/patchkit/host_paths.h"
#include "tools/patchkit/manifest_image.h"
#include "tools/patchkit/tree_scan.h"

namespace patchkit {
namespace {

using manifest::kUninstallManifestName;

class Audit {
public:
    Audit(const std::string& installDirUtf8, Progress& progress) : installDir_(installDirUtf8), progress_(progress) {}

    std::vector<Disagreement> run() {
        std::string why;
        if (!filePathOf(installDir_, folder_, why)) {
            add({Disagreement::RecordUnusable, kUninstallManifestName, "", 0, 0, "the installation's path " + why});
            return found_;
        }
        platform::ensureTrailingSeparator(folder_);
        if (!loadRecord()) return found_;
        checkCounts();
        checkNames();
        checkEntries();
        checkPresent();
        checkShortcuts();
        return found_;
    }

private:
    void add(Disagreement disagreement) { found_.push_back(std::move(disagreement)); }

    // The path on this host of what `path` names on Windows; empty where it names nothing.
    std::string realPathOf(const std::string& path) {
        platform::PathKey key;
        return platform::windowsPathKeyOf(path, key) ? names_.realPathOf(key) : std::string();
    }

    const manifest::ManifestEntry& entry(uint32_t i) const { return record_.entries()[i]; }

    bool loadRecord() {
        manifest::LoadResult loaded = manifest::loadUninstallManifest(folder_ + kUninstallManifestName, 0, record_);
        if (loaded == manifest::LoadResult::Loaded) return true;
        if (loaded == manifest::LoadResult::CannotOpen) {
            add({Disagreement::RecordUnusable, kUninstallManifestName, "", 0, 0, "cannot be opened"});
            return false;
        }
        // The loader says only that it refuses; the tool's own reading of the file says why.
        ManifestImage image;
        std::string why;
        std::string label = joinPath(installDir_, kUninstallManifestName);
        Findings findings;
        if (readManifestImage(label, KindChoice::Install, image, why)) findManifestProblems(image, label, findings);
        std::string reasons;
        for (const Finding& finding : findings.all()) {
            if (finding.severity != Severity::Error) continue;
            reasons += (reasons.empty() ? "" : "; ") + finding.field + ": " + finding.reason;
        }
        add({Disagreement::RecordUnusable, kUninstallManifestName, "", 0, 0, "the updater refuses it: " + (reasons.empty() ? why : reasons)});
        return false;
    }

    void checkCounts() {
        const manifest::UninstallHeader& header = record_.header;
        EntryTotals totals = totalsOf(record_.entries(), header.entryCount);
        if (totals.files != header.fileCount) add({Disagreement::CountDiffers, "fileCount", "", header.fileCount, totals.files, ""});
        if (totals.bytes != header.totalBytes) add({Disagreement::CountDiffers, "totalBytes", "", header.totalBytes, totals.bytes, ""});
    }

    void checkNames() {
        std::vector<std::string> names;
        for (uint32_t i = 0; i < record_.header.entryCount; ++i) names.push_back(entry(i).name);
        for (const NameClash& clash : findNameClashes(names)) {
            add({Disagreement::NamesClash, displayText(names[clash.second]), displayText(names[clash.first]), 0, 0,
                 describeClash(clash, displayText(names[clash.first]))});
        }
    }

    // Each listed entry looked up as the updater would find it on Windows: at the installation
    // folder joined with the entry's name, by Windows' rule for names, whatever the host's.
    void checkEntries() {
        platform::Files& files = platform::files();
        uint32_t count = record_.header.entryCount;
        for (uint32_t i = 0; i < count; ++i) {
            progress_.show("checking", i + 1, count, "entries");
            const manifest::ManifestEntry& listed = entry(i);
            std::string path = realPathOf(folder_ + listed.name);
            uint32_t attributes = path.empty() ? platform::kInvalidFileAttributes : files.getFileAttributes(path.c_str());
            bool there = attributes != platform::kInvalidFileAttributes;
            bool isFolder = there && (attributes & platform::kFileAttributeDirectory);
            if (manifest::isDirectoryEntry(listed)) {
                if (!isFolder) add({Disagreement::FolderMissing, displayText(listed.name), "", 0, 0, there ? "a file is there" : ""});
                continue;
            }
            support::CFile file;
            if (!there || isFolder || !file.open(path, support::FileOpenMode::Read)) {
                add({Disagreement::FileMissing, displayText(listed.name), "", listed.size, 0,
                     isFolder ? "a folder is there" : there ? "cannot be opened for reading" : ""});
            } else if (file.size() != listed.size) {
                add({Disagreement::SizeDiffers, displayText(listed.name), "", listed.size, file.size(), ""});
            }
        }
        progress_.finish();
    }

    void checkPresent() {
        std::unordered_map<std::string, uint32_t> listed;
        // Whether a file on disk is listed is Windows' question: the uninstaller deletes it by
        // the record's name through the file system.
        for (uint32_t i = record_.header.entryCount; i-- > 0;) listed[diskKeyOf(entry(i).name)] = i;

        Findings findings;
        ScanOptions options;
        options.skipAtTop.push_back(kUninstallManifestName);
        for (uint32_t i = 0; i < record_.header.entryCount; ++i) options.listed.insert(entry(i).name);
        std::vector<TreeItem> items = scanTree(installDir_, options, findings, progress_);
        std::string root = joinPath(installDir_, "");
        for (const Finding& finding : findings.all()) {
            std::string relative = finding.file.compare(0, root.size(), root) == 0 ? finding.file.substr(root.size()) : finding.file;
            add({Disagreement::Unrecordable, relative, "", 0, 0, finding.reason});
        }
        for (const TreeItem& item : items) {
            std::string key = diskKeyOf(item.name);
            if (listed.count(key)) continue;
            const std::string suffix = diskKeyOf(engine::kBackupSuffix);
            auto owner = listed.end();
            if (!item.directory && key.size() > suffix.size() && key.compare(key.size() - suffix.size(), std::string::npos, suffix) == 0) {
                owner = listed.find(key.substr(0, key.size() - suffix.size()));
            }
            if (owner != listed.end() && !manifest::isDirectoryEntry(entry(owner->second))) {
                add({Disagreement::BackupLeft, displayText(item.name), displayText(entry(owner->second).name), 0, item.size, ""});
            } else {
                add({Disagreement::NotListed, displayText(item.name), "", 0, item.size,
                     manifest::isRecordTemporaryName(item.name) ? "named as a temporary file of the record: a save that did not finish "
                                                                  "leaves one, and later saves pass it over"
                                                                : ""});
            }
        }
    }

    // Each recorded slot's link in the per-user Programs folder, where the updater makes it
    // (engine::slotLinksOf). A slot that makes no link names no file.
    void checkShortcuts() {
        const manifest::UninstallHeader& header = record_.header;
        engine::ShortcutFolders folders;
        if (!engine::shortcutFoldersOf(header, folders)) {
            if (std::string why = engine::shortcutFolderProblem(folders.name); !why.empty()) {
                add({Disagreement::ShortcutFolderLeaves, "UninstallHeader.shortcutFolderTemplate", displayText(folders.name), 0, 0,
                     why + "; the updater makes and deletes no shortcut"});
            }
            return;
        }
        if (folders.user.empty()) return;
        size_t programs = folders.user.size() - folders.name.size();
        for (size_t k = 0; k < manifest::kShortcutSlotCount; ++k) {
            const manifest::ShortcutSlot& slot = header.shortcuts[k];
            engine::SlotLinks links;
            if (slot.nameTemplate[0] == '\0' || !engine::slotLinksOf(slot, manifest::fieldText(header.templateArgument), folders, links)) continue;
            if (realPathOf(links.user).empty()) {
                add({Disagreement::ShortcutMissing, "slot " + std::to_string(k), "(per-user Programs)\\" + displayText(links.user.substr(programs)), 0, 0, ""});
            }
        }
    }

    const std::string& installDir_;
    Progress& progress_;
    std::string folder_;  // the installation as the file service takes it, ending in a separator
    manifest::UninstallManifest record_;
    std::vector<Disagreement> found_;
    // What the record names is looked up as Windows would open it, whatever the host's rule.
    platform::WindowsNameLookup names_{platform::files()};
};

}  // namespace

std::vector<Disagreement> auditInstallation(const std::string& installDirUtf8, Progress& progress) {
    return Audit(installDirUtf8, progress).run();
}

}  // namespace patchkit
