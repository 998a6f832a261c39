#include "tools/patchkit/package_check.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "engine/backup_name.h"
#include "engine/path_limit.h"
#include "engine/shortcuts.h"
#include "manifest/manifest_problems.h"
#include "manifest/manifests.h"
#include "manifest/package_names.h"
#include "platform/text.h"
#include "support/multibyte.h"
#include "support/text_template.h"
#include "tools/patchkit/entry_names.h"
#include "tools/patchkit/field_text.h"
#include "tools/patchkit/file_transfer.h"
#include "tools/patchkit/host_paths.h"
#include "tools/patchkit/manifest_image.h"
#include "tools/patchkit/shortcut_templates.h"
#include "tools/patchkit/tree_scan.h"
#include "tools/patchkit/updater_image_check.h"

namespace patchkit {
namespace {

namespace fs = std::filesystem;

using engine::kLongestPath;

// A path of `length` bytes, over the longest the system's path buffer holds.
std::string pathTooLong(size_t length) {
    return "takes " + std::to_string(length) + " bytes; at most " + std::to_string(kLongestPath) + " fit";
}

// The progress dialog's status line (IDC_STATUS in Update.rc) is one line 131 dialog units
// wide in the dialog's 9-point font. A horizontal dialog unit is a quarter of the font's average
// character width, so the line holds about 32 half-width characters, or 16 full-width ones; in
// code page 932 a character's bytes are its width in half-width cells. The static text wraps
// what does not fit on to a second line, which its height of one line does not show: a longer
// name is cut off, and the "をコピー中..." after it with it.
constexpr size_t kStatusLineCells = 131 / 4;

std::string entryField(size_t i, const char* part) { return "entry " + std::to_string(i) + " " + part; }

struct Checker {
    const CheckRequest& request;
    Findings& findings;
    Progress& progress;
    std::string manifestPath;
    std::string installFolder;  // code page 932, ends in a backslash; empty when not stated

    void shortcutTemplates(const manifest::UpdateHeader& header) {
        for (size_t k = 0; k < manifest::kShortcutSlotCount; ++k) {
            const manifest::ShortcutSlot& slot = header.shortcuts[k];
            if (std::memchr(slot.nameTemplate, 0, sizeof slot.nameTemplate) == nullptr || slot.nameTemplate[0] == '\0') continue;
            std::string field = "UpdateHeader.shortcuts[" + std::to_string(k) + "]";
            if (std::string why = templateProblem(slot.nameTemplate); !why.empty()) {
                findings.error(manifestPath, field + ".nameTemplate", why);
            } else if (!engine::staysInFolder(support::expandTemplate(slot.nameTemplate, "x").text)) {
                findings.error(manifestPath, field + ".nameTemplate",
                               "leads out of the shortcut folder (a \".\" or \"..\" component, or a ':'); the updater skips this shortcut");
            }
            if (!installFolder.empty() && std::memchr(slot.target, 0, sizeof slot.target) != nullptr) {
                size_t length = installFolder.size() + std::strlen(slot.target);
                if (length > kLongestPath) {
                    findings.error(manifestPath, field + ".target", "joined to the installation folder " + pathTooLong(length));
                }
            }
        }
    }

    bool takeInstallFolder() {
        if (!request.hasInstallPath) return true;
        std::string why;
        if (!cp932Of(request.installPath, installFolder, why)) {
            findings.error("--install-path", "", why);
            return false;
        }
        // The registry value names the folder with its trailing backslash; the updater adds none.
        if (installFolder.empty() || !support::isPathSeparatorAt(installFolder, installFolder.size() - 1)) installFolder += '\\';
        size_t record = installFolder.size() + std::strlen(manifest::kUninstallManifestName);
        if (record > kLongestPath) {
            findings.error("--install-path", "", "the path of the installation's record " + pathTooLong(record));
        }
        return true;
    }

    void payload(size_t i, const manifest::ManifestEntry& entry, const std::string& nameUtf8) {
        std::string relative = nameUtf8;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        std::string payloadPath = joinPath(joinPath(request.packageDir, manifest::kPayloadFolderName), relative);
        std::string narrow, why;
        uint64_t size = 0;
        if (!filePathOf(payloadPath, narrow, why)) {
            findings.error(manifestPath, entryField(i, "name"), "its payload file " + payloadPath + " " + why);
        } else if (!sizeOfFile(narrow, size)) {
            std::error_code error;
            std::string reason = !fs::is_regular_file(fsPathOf(payloadPath), error) ? " is missing"
                                 : narrow.size() > kLongestPath ? " exists, but its path takes " + std::to_string(narrow.size()) +
                                                                      " bytes and the system's narrow file functions open at most " +
                                                                      std::to_string(kLongestPath)
                                                                : " exists but cannot be opened for reading";
            findings.error(manifestPath, entryField(i, "name"), "its payload file " + payloadPath + reason);
        } else if (size != entry.size) {
            findings.error(manifestPath, entryField(i, "size"),
                           "is " + std::to_string(entry.size) + "; the payload file " + payloadPath + " holds " + std::to_string(size) + " bytes");
        }
    }

    void entries(const std::vector<manifest::ManifestEntry>& list, bool dataFolderPresent, std::vector<std::string>& names) {
        KnownFolders folders;
        // The progress line cuts most long names off, and nothing in a package can widen it:
        // told once, as a note, not as a fault of each name.
        size_t namesCutOff = 0, longestCutOff = 0, longestLength = 0;
        for (size_t i = 0; i < list.size(); ++i) {
            progress.show("checking", i + 1, list.size(), "entries");
            const manifest::ManifestEntry& entry = list[i];
            // Unterminated and empty names are the loader's findings already.
            if (std::memchr(entry.name, 0, sizeof entry.name) == nullptr || entry.name[0] == '\0') continue;
            std::string name = entry.name;
            names.push_back(name);
            // A name the loader refuses for leaving its folder is not followed on the disk.
            if (!manifest::entryNameProblem(name.c_str()).empty()) continue;
            bool directory = manifest::isDirectoryEntry(entry);
            if (directory && !support::isPathSeparatorAt(name, name.size() - 1)) {
                findings.warning(manifestPath, entryField(i, "name"),
                                 "ends in a double-byte character whose second byte is 0x5C; the updater takes it for a folder");
            }
            if (!installFolder.empty() && installFolder.size() + name.size() > kLongestPath) {
                findings.error(manifestPath, entryField(i, "name"), "joined to the installation folder " + pathTooLong(installFolder.size() + name.size()));
            }
            if (directory) {
                folders.addDirectoryEntry(name);
                continue;
            }
            if (name.size() > kStatusLineCells) {
                ++namesCutOff;
                if (name.size() > longestLength) longestLength = name.size(), longestCutOff = i;
            }
            // A removal only deletes: it needs no folder made before a file.
            if (!request.removal && !folders.holdsFolderOf(name)) {
                std::string folder;
                displayTextOf(folderOf(name), folder);
                findings.warning(manifestPath, entryField(i, "name"),
                                 "its folder " + folder + "\\ has no directory entry earlier in the list; the copy fails unless the installation has that folder already");
            }
            std::string utf8;
            if (!displayTextOf(name, utf8)) continue;  // reported with the manifest's texts
            if (dataFolderPresent) payload(i, entry, utf8);
        }
        progress.finish();
        if (namesCutOff > 0) {
            findings.note(manifestPath, "",
                          std::to_string(namesCutOff) + " file name" + (namesCutOff == 1 ? " is" : "s are") +
                              " longer than the progress line shows (about " + std::to_string(kStatusLineCells) +
                              " half-width characters, half as many full-width ones), which cuts off the rest; the longest, " +
                              entryField(longestCutOff, "name") + ", takes " + std::to_string(longestLength) + " bytes");
        }
    }

    void clashes(const std::vector<manifest::ManifestEntry>& list) {
        std::vector<std::string> names;
        std::vector<size_t> indexes;
        for (size_t i = 0; i < list.size(); ++i) {
            if (std::memchr(list[i].name, 0, sizeof list[i].name) == nullptr || list[i].name[0] == '\0') continue;
            names.push_back(list[i].name);
            indexes.push_back(i);
        }
        for (const NameClash& clash : findNameClashes(names)) {
            std::string other;
            displayTextOf(names[clash.first], other);
            findings.error(manifestPath, entryField(indexes[clash.second], "name"),
                           describeClash(clash.kind, "entry " + std::to_string(indexes[clash.first]) + " (" + other + ")"));
        }
    }

    // A replaced file's old content is kept under its name with ".bak" added. A package that
    // carries that name too makes the two meet wherever the installation has the file: listed
    // after the file, the entry would move the kept content on to a ".bak.bak" name, where a
    // rollback never looks; listed before, the file's backup would go over the entry's fresh
    // copy. The updater refuses either, and the run fails.
    void backupNames(const std::vector<manifest::ManifestEntry>& list) {
        const std::string suffix = diskKeyOf(engine::kBackupSuffix);
        std::unordered_map<std::string, size_t> fileByKey;
        for (size_t i = 0; i < list.size(); ++i) {
            if (carriesFile(list[i])) fileByKey.emplace(diskKeyOf(list[i].name), i);
        }
        for (size_t i = 0; i < list.size(); ++i) {
            if (!carriesFile(list[i])) continue;
            std::string key = diskKeyOf(list[i].name);
            if (key.size() <= suffix.size() || key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0) continue;
            auto file = fileByKey.find(key.substr(0, key.size() - suffix.size()));
            if (file == fileByKey.end()) continue;
            std::string other;
            displayTextOf(list[file->second].name, other);
            std::string partner = "entry " + std::to_string(file->second) + " (" + other + ")";
            findings.error(manifestPath, entryField(i, "name"),
                           "is where the old file of " + partner + (file->second < i ? "" : ", listed later,") +
                               " is kept; wherever the installation has that file, the updater will not " +
                               (file->second < i ? "move the kept file on" : "move it over this entry's copy") +
                               ", and the run fails");
        }
    }

    static bool carriesFile(const manifest::ManifestEntry& entry) {
        return std::memchr(entry.name, 0, sizeof entry.name) != nullptr && entry.name[0] != '\0' && !manifest::isDirectoryEntry(entry);
    }

    // Files in data/ that no entry names are never copied: usually a sign that the manifest and
    // the payload come from different makes.
    void unlisted(const std::vector<std::string>& names) {
        std::unordered_set<std::string> listed;
        for (const std::string& name : names) listed.insert(platform::foldedAsciiCase(name));
        // What the scan says about the payload's own names is beside the point here: the
        // entries are what the updater goes by, and they have been checked.
        Findings ignored;
        std::string data = joinPath(request.packageDir, manifest::kPayloadFolderName);
        std::vector<TreeItem> items = scanTree(data, ScanOptions{}, ignored, progress);
        for (const TreeItem& item : items) {
            if (item.directory || listed.count(platform::foldedAsciiCase(item.name))) continue;
            findings.warning(joinPath(data, item.relativePath), "", "is in the payload but in no entry of " + manifestPath);
        }
    }
};

}  // namespace

void checkPackage(const CheckRequest& request, Findings& findings, Progress& progress) {
    Checker checker{request, findings, progress, joinPath(request.packageDir, manifest::kUpdateManifestName), {}};
    ManifestImage image;
    std::string why;
    if (!readManifestImage(checker.manifestPath, KindChoice::Update, image, why)) {
        findings.error(checker.manifestPath, "", why);
        return;
    }
    findManifestProblems(image, checker.manifestPath, findings);
    if (!checker.takeInstallFolder()) return;
    checker.shortcutTemplates(image.update);

    std::string data = joinPath(request.packageDir, manifest::kPayloadFolderName);
    std::error_code error;
    bool dataFolderPresent = fs::is_directory(fsPathOf(data), error);
    bool anyFile = std::any_of(image.entries.begin(), image.entries.end(), [](const manifest::ManifestEntry& e) { return !manifest::isDirectoryEntry(e); });
    // A removal reads no payload and makes no backups.
    if (!request.removal && !dataFolderPresent && anyFile) findings.error(data, "", "is missing; no file entry has its payload");

    std::vector<std::string> names;
    checker.entries(image.entries, dataFolderPresent, names);
    checker.clashes(image.entries);
    if (!request.removal) checker.backupNames(image.entries);
    if (dataFolderPresent) checker.unlisted(names);
    checkUpdaterImages(request.packageDir, findings);
}

}  // namespace patchkit
