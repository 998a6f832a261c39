#include "tests/support/safety_properties.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <tuple>

#include "app/updater.h"
#include "engine/backup_name.h"
#include "engine/engine_messages.h"
#include "manifest/layouts.h"
#include "manifest/package_names.h"
#include "platform/file_names.h"
#include "platform/file_path.h"
#include "platform/text_encoding.h"
#include "support/text_template.h"
#include "tests/support/plain_update.h"
#include "tools/patchkit/entry_names.h"

namespace testing_support {
namespace {

using Run = HostileUpdateRun;

using patchkit::diskKeyOf;

bool below(const std::string& key, const std::string& folderKey) {
    return key.size() > folderKey.size() && key.compare(0, folderKey.size(), folderKey) == 0 && key[folderKey.size()] == '/';
}

std::string shown(const std::string& cp932) { return "\"" + platform::utf8OrRawBytes(cp932) + "\""; }

// The folder a shortcut folder's links land in, or empty where that leaves the Programs folder.
std::string linkFolderKey(const HostileUpdate& update, const Run& run, const std::string& programs) {
    const manifest::UninstallHeader& header = update.recordHeader;
    support::ExpandedTemplate folder = support::expandTemplate(header.shortcutFolderTemplate, header.templateArgument);
    if (!folder.usable()) return {};
    std::string landing = platform::parentKeyOf(run.pathKeyOf(programs + folder.text + "x.lnk")), top = run.pathKeyOf(programs);
    return landing == top || below(landing, top) ? landing : std::string();
}

class Judge {
public:
    Judge(const HostileUpdate& update, const Run& run) : update_(update), run_(run) {}

    std::vector<std::string> verdict() {
        if (!run_.confirmed) {
            if (!run_.changes.empty()) broken("a run that was not confirmed changed " + shown(run_.changes[0].path));
            return found_;
        }
        nothingLost();
        nothingOutside();
        recordWhole();
        if (run_.succeeded()) successIsTrue();
        return found_;
    }

private:
    void broken(const std::string& what) { found_.push_back(what); }

    bool holds(const std::string& key, const std::string& content) const {
        auto it = run_.installedAfter.files.find(key);
        return it != run_.installedAfter.files.end() && it->second == content;
    }
    // A listed file the run reached: its status line was shown.
    bool reached(const manifest::ManifestEntry& entry) const {
        std::string status = entry.name + std::string(update_.removal ? engine::messages::kDeletingSuffix : engine::messages::kCopyingSuffix);
        return std::find(run_.statusTexts.begin(), run_.statusTexts.end(), status) != run_.statusTexts.end();
    }
    bool listedFile(const std::string& key) const {
        for (const manifest::ManifestEntry& e : update_.updateEntries) {
            if (!manifest::isDirectoryEntry(e) && run_.installedKeyBefore(e.name) == key) return true;
        }
        return false;
    }
    // The old X.bak that the backup of an X that existed replaces: the one loss intended, where
    // the update brings no X.bak of its own (the two meet, and nothing may change).
    bool replacedByABackup(const std::string& key) const {
        if (listedFile(key)) return false;
        for (const manifest::ManifestEntry& e : update_.updateEntries) {
            if (!manifest::isDirectoryEntry(e) && run_.installedKeyBefore(engine::backupPathOf(e.name)) == key &&
                run_.installedBefore.files.count(run_.installedKeyBefore(e.name)) && reached(e)) {
                return true;
            }
        }
        return false;
    }

    void nothingLost() {
        for (const auto& [key, content] : run_.installedBefore.files) {
            if (key == run_.installedKeyBefore(manifest::kUninstallManifestName)) continue;
            const std::string& name = run_.installedBefore.names.at(key);
            bool kept = holds(run_.installedKeyAfter(name), content);
            if (!update_.removal && (run_.succeeded() || run_.faultStruckAfterTheCopy)) {
                kept = kept || holds(run_.installedKeyAfter(engine::backupPathOf(name)), content);
            }
            if (update_.removal && listedFile(key)) kept = true;
            if (!kept && !replacedByABackup(key)) broken("the old content of " + shown(name) + " is gone");
        }
    }

    void nothingOutside() {
        std::vector<std::string> inside = {run_.pathKeyOf(run_.places.installFolder)};
        for (const std::string& programs : {run_.places.userPrograms, run_.places.commonPrograms}) {
            std::string folder = linkFolderKey(update_, run_, programs);
            if (!folder.empty()) inside.push_back(folder);
        }
        auto allowed = [&](const std::string& path) {
            std::string key = run_.pathKeyOf(path);
            for (const std::string& folder : inside) {
                if (below(key, folder) || (key == folder && folder != inside[0])) return true;
            }
            return false;
        };
        for (const overlay::Change& change : run_.changes) {
            // A folder stays where it is: a file entry of its name moves no folder away.
            if (change.kind == overlay::Change::FolderMoved) broken("moved the folder " + shown(change.path) + " to " + shown(change.to));
            if (!allowed(change.path)) broken("changed " + shown(change.path) + ", outside its folders");
            if (change.kind == overlay::Change::FileMoved && !allowed(change.to)) broken("moved a file to " + shown(change.to) + ", outside its folders");
        }
    }

    void recordWhole() {
        if (!run_.recordLoadsAfter) broken("the record does not load");
        bool saved = run_.recordAfter == run_.recordInMemory;
        if (!saved && !(run_.faultStruck && run_.recordAfter == run_.recordBefore)) broken("the record is neither the one the run held nor the old one");
    }

    // A folder a success lists is there, unless a file held its name or one above it when its
    // entry came (installed, listed earlier, or the backup of one both): nothing moves a file
    // for a folder. Bytes no code page 932 make none, nor characters Windows refuses in a name
    // (below 0x20, and <>"|?*); a last byte 0x5C of a character makes the folders up to its
    // last separator.
    bool folderThere(size_t index) const {
        std::string name = update_.updateEntries[index].name;
        platform::PathKey readable;
        if (!platform::windowsPathKeyOf(name, readable)) return true;
        for (size_t i = 0; i < name.size(); ++i) {
            if (platform::isSingleByteCharacterAt(name, i) && (static_cast<uint8_t>(name[i]) < 0x20 || std::strchr("<>\"|?*", name[i]))) return true;
        }
        if (!platform::isPathSeparatorAt(name, name.size() - 1)) {
            size_t last = platform::lastSeparatorOf(name);
            if (last == platform::kNoSeparator) return true;
            name.resize(last + 1);
        }
        const std::string after = run_.installedKeyAfter(name);
        // The folder's own name is asked without its separator: a file of that name, or of a
        // folder's above it, holds it. A file that holds it after a success held it when the
        // entry came, since no file entry goes over a folder: unless the folder was too long
        // for CreateDirectoryA (247 bytes), when a later file may take its name.
        const bool makeable = run_.places.installFolder.size() + name.size() - 1 <= 247;
        for (std::string held = name.substr(0, name.size() - 1); makeable && !held.empty(); held = platform::getParentFolder(held)) {
            if (run_.installedAfter.files.count(run_.installedKeyAfter(held))) return true;
        }
        for (std::string key = run_.installedKeyBefore(name.substr(0, name.size() - 1)); !key.empty(); key = platform::parentKeyOf(key)) {
            bool there = run_.installedBefore.files.count(key) || run_.installedAfter.folders.count(after);
            for (size_t earlier = 0; earlier < index; ++earlier) {
                std::string listed = run_.installedKeyBefore(update_.updateEntries[earlier].name);
                there = there || (!manifest::isDirectoryEntry(update_.updateEntries[earlier]) &&
                                  (listed == key || (listed + ".BAK" == key && run_.installedBefore.files.count(listed))));
            }
            if (there) return true;
        }
        return false;
    }

    // An update's names lead to their payload's bytes; a removal's files, those its names led to
    // before the run, are gone (where a Linux folder holds a twin, the name may still open that).
    void successIsTrue() {
        std::map<std::string, const std::string*> expected;
        for (size_t i = 0; i < update_.updateEntries.size(); ++i) {
            const manifest::ManifestEntry& e = update_.updateEntries[i];
            if (manifest::isDirectoryEntry(e)) {
                if (!update_.removal && run_.faultStruckAt.compare(0, 15, "createDirectory") != 0 && !folderThere(i)) broken(std::string("after its success the run left ") + shown(e.name) + " without its folder");
                continue;
            }
            auto payload = run_.payload.files.find(run_.payloadKeyOf(e.name));
            std::string key = update_.removal ? run_.installedKeyBefore(e.name) : run_.installedKeyAfter(e.name);
            expected[key] = payload == run_.payload.files.end() ? nullptr : &payload->second;
        }
        for (const auto& [key, content] : expected) {
            auto after = run_.installedAfter.files.find(key);
            bool there = after != run_.installedAfter.files.end();
            if (update_.removal ? there : !content || !there || after->second != *content) {
                broken("after its success the run left " + key + (update_.removal ? " in place" : " without its payload's bytes"));
            }
        }
    }

    const HostileUpdate& update_;
    const Run& run_;
    std::vector<std::string> found_;
};

void compareTrees(const char* what, const Run::Tree& a, const Run::Tree& b, const std::set<std::string>& keys,
                  const std::set<std::string>& folders, std::vector<std::string>& found) {
    auto contentIn = [](const Run::Tree& tree, const std::string& key) {
        auto it = tree.files.find(key);
        return it == tree.files.end() ? std::string("(none)") : it->second;
    };
    for (const std::string& key : keys) {
        std::string mine = contentIn(a, key), theirs = contentIn(b, key);
        if (mine != theirs) found.push_back(std::string(what) + ": " + key + " holds " + shown(mine.substr(0, 24)) + " against " + shown(theirs.substr(0, 24)));
    }
    for (const std::string& folder : folders) {
        if (a.folders.count(folder) != b.folders.count(folder)) found.push_back(std::string(what) + ": the folder " + folder + " differs");
    }
}

std::set<std::string> keysOf(const Run::Tree& tree) {
    std::set<std::string> keys;
    for (const auto& [key, content] : tree.files) keys.insert(key);
    return keys;
}

}  // namespace

std::vector<std::string> safetyViolations(const HostileUpdate& update, const HostileUpdateRun& run) { return Judge(update, run).verdict(); }

std::vector<std::string> differencesBetween(const HostileUpdate& update, const HostileUpdateRun& run, const HostileUpdateRun& reference) {
    std::vector<std::string> found;
    std::string boxes, referenceBoxes;
    for (const auto& box : run.boxes) {
        // The refusal the README documents: a backup move that fails for another reason than a
        // missing file, with the file still there, fails the entry with the backup message. The
        // plain steps, whose move failed the same way, fail at opening that file.
        std::string text = box.text;
        size_t backup = text.rfind(engine::messages::kBackupFailedSuffix);
        if (backup != std::string::npos && backup + std::strlen(engine::messages::kBackupFailedSuffix) == text.size()) {
            std::string asOpening = text.substr(0, backup) + engine::messages::kOpenFailedSuffix;
            for (const auto& theirs : reference.boxes) {
                if (theirs.text == asOpening) text = asOpening;
            }
        }
        boxes += shown(text) + (box.hasCaption ? " [" + shown(box.caption) + "]" : "") + " ";
    }
    for (const auto& box : reference.boxes) referenceBoxes += shown(box.text) + (box.hasCaption ? " [" + shown(box.caption) + "]" : "") + " ";
    if (boxes != referenceBoxes) found.push_back("messages " + boxes + "against " + referenceBoxes);
    // Where the reference backed up a fresh copy, its files differ from the product's by copies
    // of what the run brought, and its rollback puts one back: only the outcome compares.
    if (reference.backedUpAFreshCopy()) return found;
    // The files from before the run, their backups, and after a success the files it lists. Not
    // the copies the plain steps make of a file the same run has brought (a second backup of a
    // fresh copy, and what their rollback puts back from it), which the product does not make.
    std::set<std::string> keys, folders = run.installedBefore.folders;
    for (const std::string& key : keysOf(run.installedBefore)) keys.insert({key, key + ".BAK"});
    for (const manifest::ManifestEntry& e : update.updateEntries) {
        if (run.succeeded()) (manifest::isDirectoryEntry(e) ? folders : keys).insert(diskKeyOf(e.name));
    }
    compareTrees("the installation", run.installedAfter, reference.installedAfter, keys, folders, found);
    for (auto [what, tree, theirs] : {std::tuple{"the per-user shortcuts", &run.userProgramsAfter, &reference.userProgramsAfter},
                                      std::tuple{"the all-users shortcuts", &run.commonProgramsAfter, &reference.commonProgramsAfter}}) {
        std::set<std::string> all = keysOf(*tree), theirKeys = keysOf(*theirs), allFolders = tree->folders;
        all.insert(theirKeys.begin(), theirKeys.end());
        allFolders.insert(theirs->folders.begin(), theirs->folders.end());
        compareTrees(what, *tree, *theirs, all, allFolders, found);
    }
    if (run.recordAfter != reference.recordAfter) found.push_back("the records differ");
    return found;
}

Verdict judgeHostileUpdate(const HostileUpdate& update) {
    Verdict verdict;
    HostileUpdateRun run = runHostileUpdate(update, app::runUpdater);
    verdict.broken = safetyViolations(update, run);
    verdict.succeeded = run.succeeded();
    bool plainCopiesWhole = true;
    HostileUpdateRun plain = runHostileUpdate(update, [&] { return runPlainUpdater(plainCopiesWhole); });
    // Nor where the plain steps moved a backup of this run on: the README's refusal of an entry
    // that is such a backup stands for it, and what they came to rests on later entries.
    // Nor where a backup the plain steps made of a fresh copy holds the name of a folder the
    // update makes: the product makes no such backup, so it makes that folder, or refuses it.
    bool backupOverAFolder = false;
    for (const manifest::ManifestEntry& e : update.updateEntries) {
        std::string name = e.name;
        backupOverAFolder |= manifest::isDirectoryEntry(e) && plain.installedAfter.files.count(diskKeyOf(name.substr(0, name.size() - 1)));
    }
    verdict.heldToThePlainSteps = safetyViolations(update, plain).empty() && plainCopiesWhole && !plain.movedABackupOn() &&
                                  run.faultStruckAt == plain.faultStruckAt && !(backupOverAFolder && plain.backedUpAFreshCopy());
    // Where the plain steps fail too, the updater may refuse first, having changed nothing.
    bool refusedFirst = !run.succeeded() && !plain.succeeded() && run.installedAfter.files == run.installedBefore.files &&
                        run.installedAfter.folders == run.installedBefore.folders;
    if (verdict.heldToThePlainSteps && !refusedFirst) {
        for (const std::string& difference : differencesBetween(update, run, plain)) verdict.broken.push_back("unlike the plain steps: " + difference);
    }
    return verdict;
}

}  // namespace testing_support
