#include "tools/patchkit/package_check.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "engine/backup_name.h"
#include "engine/joined_paths.h"
#include "engine/path_limit.h"
#include "engine/shortcut_links.h"
#include "manifest/manifests.h"
#include "manifest/name_rule.h"
#include "manifest/package_names.h"
#include "platform/file_path.h"
#include "platform/files.h"
#include "platform/windows_name_lookup.h"
#include "resources/status_line.h"
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

using engine::kLongestPath;

// A path of `length` bytes, over the `longest` that fit.
std::string pathTooLong(size_t length, size_t longest = kLongestPath) {
    return "takes " + std::to_string(length) + " bytes; at most " + std::to_string(longest) + " fit";
}

// The progress dialog's status line is one line STATUS_LINE_WIDTH dialog units wide in the
// dialog's 9-point font. A horizontal dialog unit is a quarter of the font's average character
// width, so the line holds about 32 half-width characters, or 16 full-width ones; in code page
// 932 a character's bytes are its width in half-width cells. The static text wraps what does
// not fit on to a second line, which its height of one line does not show: a longer name is
// cut off, and the "をコピー中..." after it with it.
constexpr size_t kStatusLineCells = STATUS_LINE_WIDTH / 4;

std::string entryField(size_t i, const char* part) { return "entry " + std::to_string(i) + " " + part; }

using engine::JoinedPath;

std::string tooLongText(const JoinedPath& joined) {
    const std::string tooLong = pathTooLong(joined.path.size(), joined.longest);
    switch (joined.kind) {
        case JoinedPath::Target: return "joined to the installation folder " + tooLong;
        case JoinedPath::Backup:
            return "joined to the installation folder, with the \"" + std::string(engine::kBackupSuffix) + "\" of its backup, " +
                   tooLong + "; the updater refuses the update before any change wherever the installation has the file";
        case JoinedPath::Payload: return "joined to the update's data folder " + tooLong;
        case JoinedPath::Folder:
            return "makes a folder that, joined to the installation folder, " + tooLong +
                   " (CreateDirectoryA keeps room for an 8.3 name below it); the updater refuses the update before any change "
                   "wherever the installation lacks the folder";
    }
    return {};
}

struct Checker {
    const CheckRequest& request;
    Findings& findings;
    Progress& progress;
    std::string manifestPath;
    std::string installFolder;  // code page 932, ends in a backslash; empty when not stated
    std::string dataFolder;     // the same, for the update's data folder as the updater names it
    // The payload as the updater finds it: by Windows' rule for names, whatever the host's.
    platform::WindowsNameLookup payloadNames{platform::files()};
    std::string realDataFolder;  // code page 932, as the host names it; empty when there is none
    // Of the paths joined to a folder not stated, the one that leaves the least room for it:
    // the bytes it adds, the room, and the entry.
    struct Unjudged {
        size_t length = 0;
        size_t room = kLongestPath + 1;
        size_t entry = 0;
    } unjudgedInstall, unjudgedData;

    void shortcutTemplates(const manifest::UpdateHeader& header) {
        for (size_t k = 0; k < manifest::kShortcutSlotCount; ++k) {
            const manifest::ShortcutSlot& slot = header.shortcuts[k];
            if (std::memchr(slot.nameTemplate, 0, sizeof slot.nameTemplate) == nullptr || slot.nameTemplate[0] == '\0') continue;
            std::string field = "UpdateHeader.shortcuts[" + std::to_string(k) + "]";
            if (std::string why = templateProblem(slot.nameTemplate); !why.empty()) {
                findings.error(manifestPath, field + ".nameTemplate", why);
            } else if (std::string refused = linkNameProblem(slot.nameTemplate); !refused.empty()) {
                findings.error(manifestPath, field + ".nameTemplate", refused);
            }
            std::string program, arguments;
            if (!installFolder.empty() && std::memchr(slot.target, 0, sizeof slot.target) != nullptr &&
                !engine::slotTargetOf(slot, installFolder, program, arguments)) {
                findings.error(manifestPath, field + ".target",
                               "names a program whose path joined to the installation folder " + pathTooLong(program.size()) +
                                   "; the updater makes no shortcut for the slot");
            }
        }
    }

    // A folder of the command line as the updater names it: code page 932, ending in a separator.
    bool takeFolder(const char* option, const std::string& utf8, std::string& folder) {
        std::string why;
        if (!cp932Of(utf8, folder, why)) {
            findings.error(option, "", why);
            return false;
        }
        platform::ensureTrailingSeparator(folder);
        return true;
    }

    bool takeInstallFolder() {
        // The registry value names the folder with its trailing backslash; the updater adds none.
        if (!request.hasInstallPath) return true;
        if (!takeFolder("--install-path", request.installPath, installFolder)) return false;
        size_t record = installFolder.size() + std::strlen(manifest::kUninstallManifestName);
        if (record > kLongestPath) {
            findings.error("--install-path", "", "the path of the installation's record " + pathTooLong(record));
        }
        return true;
    }

    bool takeUpdateFolder() {
        // As start-up names it: the program's folder with a separator, then the data folder's.
        if (!request.hasUpdatePath) return true;
        if (!takeFolder("--update-path", request.updatePath, dataFolder)) return false;
        size_t manifest = dataFolder.size() + std::strlen(manifest::kUpdateManifestName);
        dataFolder += manifest::kPayloadFolderName;
        platform::ensureTrailingSeparator(dataFolder);
        if (manifest > kLongestPath) findings.error("--update-path", "", "the path of the update manifest " + pathTooLong(manifest));
        if (dataFolder.size() > kLongestPath) {
            findings.error("--update-path", "", "the update's data folder " + pathTooLong(dataFolder.size()));
        }
        return true;
    }

    // Whether what the look-up found (nothing, when `real` is empty) is a folder.
    static bool isFolder(const std::string& real, bool& found) {
        uint32_t attributes = real.empty() ? platform::kInvalidFileAttributes : platform::files().getFileAttributes(real.c_str());
        found = attributes != platform::kInvalidFileAttributes;
        return found && (attributes & platform::kFileAttributeDirectory);
    }

    // Where the payload is on this host, found as the updater finds its data folder.
    bool findDataFolder() {
        std::string narrow, why;
        platform::PathKey key;
        std::string data = joinPath(request.packageDir, manifest::kPayloadFolderName);
        if (!filePathOf(data, narrow, why) || !platform::windowsPathKeyOf(narrow, key)) return false;
        realDataFolder = payloadNames.realPathOf(key);
        bool found = false;
        if (!isFolder(realDataFolder, found)) realDataFolder.clear();
        return !realDataFolder.empty();
    }

    void payload(size_t i, const manifest::ManifestEntry& entry, const std::string& nameUtf8) {
        std::string relative = nameUtf8;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        std::string payloadPath = joinPath(joinPath(request.packageDir, manifest::kPayloadFolderName), relative);
        platform::PathKey key;
        std::string real;
        if (platform::windowsPathKeyOf(realDataFolder + "\\" + entry.name, key)) real = payloadNames.realPathOf(key);
        uint64_t size = 0;
        bool found = false;
        if (isFolder(real, found) || !found) {
            findings.error(manifestPath, entryField(i, "name"), "its payload file " + payloadPath + " is missing");
            return;
        }
        // Windows opens the file for any spelling its rule folds; a copy of the package that
        // keeps names apart by letter case (unpacked over an older one, say) could hold both.
        if (real != key.path) {
            findings.warning(manifestPath, entryField(i, "name"),
                             "its payload file is spelled " + displayText(real.substr(realDataFolder.size() + 1)) +
                                 " in the data folder: Windows opens it for this name, but a copy step that tells the two "
                                 "spellings apart could split them into two files");
        }
        if (!sizeOfFile(real, size)) {
            std::string reason = real.size() > kLongestPath ? " exists, but its path takes " + std::to_string(real.size()) +
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
            if (!manifest::nameProblem(name).empty()) continue;
            bool directory = manifest::isDirectoryEntry(entry);
            if (directory && !platform::endsInSeparator(name)) {
                findings.warning(manifestPath, entryField(i, "name"),
                                 "ends in a double-byte character whose second byte is 0x5C; the updater takes it for a folder");
            }
            // A folder not stated is empty here, so that a path joined to it is what it adds.
            // Each folder's first path that does not fit is told: the later ones are longer.
            bool toldInstall = false, toldData = false;
            for (const JoinedPath& joined : engine::joinedPathsOf(entry, request.removal, installFolder, dataFolder)) {
                bool inData = joined.kind == JoinedPath::Payload;
                Unjudged& unjudged = inData ? unjudgedData : unjudgedInstall;
                bool& told = inData ? toldData : toldInstall;
                if (inData ? request.hasUpdatePath : request.hasInstallPath) {
                    if (!joined.fits() && !told) findings.error(manifestPath, entryField(i, "name"), tooLongText(joined));
                    told = told || !joined.fits();
                } else if (size_t room = joined.longest - std::min(joined.longest, joined.path.size()); room < unjudged.room) {
                    unjudged = {joined.path.size(), room, i};
                }
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
                displayTextOf(platform::getParentFolder(name), folder);
                findings.warning(manifestPath, entryField(i, "name"),
                                 "its folder " + folder + "\\ has no directory entry earlier in the list; the copy fails unless the installation has that folder already");
            }
            std::string utf8;
            if (!displayTextOf(name, utf8)) continue;  // reported with the manifest's texts
            // A removal reads no payload.
            if (dataFolderPresent && !request.removal) payload(i, entry, utf8);
        }
        progress.finish();
        unjudgedLengths();
        if (namesCutOff > 0) {
            findings.note(manifestPath, "",
                          std::to_string(namesCutOff) + " file name" + (namesCutOff == 1 ? " is" : "s are") +
                              " longer than the progress line shows (about " + std::to_string(kStatusLineCells) +
                              " half-width characters, half as many full-width ones), which cuts off the rest; the longest, " +
                              entryField(longestCutOff, "name") + ", takes " + std::to_string(longestLength) + " bytes");
        }
    }

    // Where one folder is stated and the other is not, the paths joined to the other were not
    // judged: what that folder may take is told instead.
    void unjudgedLengths() {
        if (request.hasInstallPath == request.hasUpdatePath) return;
        const Unjudged& unjudged = request.hasInstallPath ? unjudgedData : unjudgedInstall;
        if (unjudged.room > kLongestPath) return;
        std::string joinedTo = request.hasInstallPath ? "the update's data folder" : "the installation folder";
        // The data folder is the update's folder with "data\" after it.
        size_t below = request.hasInstallPath ? std::strlen(manifest::kPayloadFolderName) + 1 : 0;
        std::string folder = request.hasInstallPath ? "the folder Update.exe runs from" : "the installation folder";
        std::string room = unjudged.room > below
                               ? folder + " may take at most " + std::to_string(unjudged.room - below) + " bytes with its separator"
                               : "no " + folder + " is short enough";
        findings.note(manifestPath, "",
                      std::string("without ") + (request.hasInstallPath ? "--update-path" : "--install-path") + " the paths joined to " +
                          joinedTo + " were not judged; the longest, for " + entryField(unjudged.entry, "name") + ", adds " +
                          std::to_string(unjudged.length) + " bytes to it, so " + room);
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
                           describeClash(clash, "entry " + std::to_string(indexes[clash.first]) + " (" + other + ")"));
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

    // Files in data/ that no entry names (by Windows' rule, as the updater finds them) are never
    // copied: usually a sign that the manifest and the payload come from different makes.
    void unlisted(const std::vector<std::string>& names) {
        std::unordered_set<std::string> listed;
        for (const std::string& name : names) listed.insert(diskKeyOf(name));
        // What the scan says about the payload's own names is beside the point here: the
        // entries are what the updater goes by, and they have been checked.
        Findings ignored;
        std::string data = joinPath(request.packageDir, displayText(platform::fileNameOf(realDataFolder)));
        std::vector<TreeItem> items = scanTree(data, ScanOptions{}, ignored, progress);
        for (const TreeItem& item : items) {
            if (item.directory || listed.count(diskKeyOf(item.name))) continue;
            findings.warning(joinPath(data, item.relativePath), "", "is in the payload but in no entry of " + manifestPath);
        }
    }
};

}  // namespace

void checkPackage(const CheckRequest& request, Findings& findings, Progress& progress) {
    Checker checker{request, findings, progress, joinPath(request.packageDir, manifest::kUpdateManifestName)};
    ManifestImage image;
    std::string why;
    if (!readManifestImage(checker.manifestPath, KindChoice::Update, image, why)) {
        findings.error(checker.manifestPath, "", why);
        return;
    }
    findManifestProblems(image, checker.manifestPath, findings);
    if (!checker.takeInstallFolder() || !checker.takeUpdateFolder()) return;
    checker.shortcutTemplates(image.update);

    std::string data = joinPath(request.packageDir, manifest::kPayloadFolderName);
    bool dataFolderPresent = checker.findDataFolder();
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
