#include "engine/shortcuts.h"

#include <string_view>

#include "engine/path_limit.h"
#include "engine/run_state.h"
#include "manifest/text_fields.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "support/multibyte.h"
#include "support/text_template.h"

namespace engine {
namespace {

using manifest::fieldText;
using manifest::ShortcutSlot;

// Every composed name and path goes where a Windows path goes (fitsPathBuffer). Code page 932
// gives at most one UTF-16 unit per byte, so a path that fits also fits the 260 wide
// characters of the shell link's file name. The slots' texts are compared over the bytes such
// a path can hold (kLongestPath).

// One Programs folder with the shortcut folder name behind it. Empty when the Programs folder
// cannot be resolved: nothing is then done there, since the paths composed under an empty
// folder would be relative ones, resolved against whatever the current folder is.
struct ShortcutFolder {
    std::string path;

    bool resolved() const { return !path.empty(); }

    // "%s%s.lnk" of the folder and a shortcut name, into link; false when it does not fit.
    // Under an unresolved folder the link stays empty.
    bool linkPath(const std::string& shortcutName, std::string& link) const {
        link.clear();
        if (!resolved()) return true;
        link = path + shortcutName + ".lnk";
        return fitsPathBuffer(link);
    }
};

ShortcutFolder shortcutFolder(int csidl, const std::string& folderName) {
    std::string programs = platform::shell().specialFolderPath(csidl);
    support::ensureTrailingSeparator(programs);
    return {programs.empty() ? programs : programs + folderName};
}

// The shortcut name that a slot's template gives, or false when the template is unusable or
// the name alone would not fit a path.
bool shortcutName(const ShortcutSlot& slot, std::string_view templateArgument, std::string& name) {
    support::ExpandedTemplate expanded = support::expandTemplate(fieldText(slot.nameTemplate), templateArgument);
    if (!expanded.usable() || !fitsPathBuffer(expanded.text) || !staysInFolder(expanded.text)) return false;
    name = std::move(expanded.text);
    return true;
}

// Both texts of the slots equal under the manifests' A-Z folding, over at most 259 bytes.
bool sameShortcut(const ShortcutSlot& update, const ShortcutSlot& installed) {
    return platform::equalsIgnoringAsciiCase(fieldText(update.nameTemplate, kLongestPath),
                                             fieldText(installed.nameTemplate, kLongestPath)) &&
           platform::equalsIgnoringAsciiCase(fieldText(update.target, kLongestPath), fieldText(installed.target, kLongestPath));
}

// The target's program and its command-line arguments, split at the first ".exe" (ASCII case
// ignored) when a blank follows it. '.' lies below code page 932's trail bytes, so a match
// starts at a character of its own.
void splitArguments(std::string& targetPath, std::string& arguments) {
    arguments.clear();
    for (size_t at = 0; at + 4 <= targetPath.size(); ++at) {
        if (!platform::equalsIgnoringAsciiCase(std::string_view(targetPath).substr(at, 4), ".exe")) continue;
        if (at + 4 < targetPath.size() && targetPath[at + 4] == ' ') {
            arguments = targetPath.substr(at + 5);
            targetPath.resize(at + 4);
        }
        return;
    }
}

// What one slot does, composed whole before anything on disk is touched. A link is empty
// where there is nothing to do: no old shortcut, or a Programs folder that is not resolved.
struct SlotWork {
    std::string oldUserLink, oldCommonLink;
    std::string newUserLink, newCommonLink;
    std::string targetPath, arguments;
};

bool planSlot(const ShortcutSlot& update, const ShortcutSlot& installed, std::string_view templateArgument,
              const ShortcutFolder& user, const ShortcutFolder& common, const std::string& installFolder, SlotWork& work) {
    std::string newName;
    if (!shortcutName(update, templateArgument, newName)) return false;
    if (!user.linkPath(newName, work.newUserLink) || !common.linkPath(newName, work.newCommonLink)) return false;

    if (installed.nameTemplate[0] != '\0') {
        std::string oldName;
        if (!shortcutName(installed, templateArgument, oldName)) return false;
        if (!user.linkPath(oldName, work.oldUserLink) || !common.linkPath(oldName, work.oldCommonLink)) return false;
    }

    work.targetPath = installFolder;
    work.targetPath += fieldText(update.target);
    if (!fitsPathBuffer(work.targetPath)) return false;
    splitArguments(work.targetPath, work.arguments);
    return true;
}

void record(ShortcutSlot& installed, const ShortcutSlot& update) {
    manifest::storeFieldText(installed.nameTemplate, fieldText(update.nameTemplate));
    manifest::storeFieldText(installed.target, fieldText(update.target));
}

}  // namespace

// ':' and '.' lie below code page 932's trail bytes, so every one is a character of its own.
bool staysInFolder(std::string_view name) {
    if (name.find(':') != std::string_view::npos) return false;
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !support::isPathSeparatorAt(name, i)) continue;
        std::string_view component = name.substr(start, i - start);
        if (component == "." || component == "..") return false;
        start = i + 1;
    }
    return true;
}

bool createShortcuts(const std::string& installFolder) {
    const manifest::UpdateHeader& update = runState().updateManifest.header;
    manifest::UninstallHeader& installed = runState().uninstallManifest.header;
    platform::Files& files = platform::files();
    platform::Shell& shell = platform::shell();

    // The folder name comes from the installation's header only, never from the update's.
    std::string_view templateArgument = fieldText(installed.templateArgument);
    support::ExpandedTemplate folderName = support::expandTemplate(fieldText(installed.shortcutFolderTemplate), templateArgument);
    if (!folderName.usable() || !staysInFolder(folderName.text)) return true;
    ShortcutFolder user = shortcutFolder(platform::kCsidlPrograms, folderName.text);
    ShortcutFolder common = shortcutFolder(platform::kCsidlCommonPrograms, folderName.text);

    for (size_t k = 0; k < manifest::kShortcutSlotCount; ++k) {
        const ShortcutSlot& updateSlot = update.shortcuts[k];
        ShortcutSlot& installedSlot = installed.shortcuts[k];
        // An unused update slot leaves an installed shortcut alone; an unchanged one is taken
        // to exist, without looking at the disk.
        if (updateSlot.nameTemplate[0] == '\0' || sameShortcut(updateSlot, installedSlot)) continue;
        SlotWork work;
        if (!planSlot(updateSlot, installedSlot, templateArgument, user, common, installFolder, work)) continue;

        bool allUsers = false;
        if (!work.oldUserLink.empty()) files.deleteFile(work.oldUserLink.c_str());
        if (!work.oldCommonLink.empty() && files.getFileAttributes(common.path.c_str()) != platform::kInvalidFileAttributes) {
            allUsers = files.deleteFile(work.oldCommonLink.c_str());
        }
        auto makeLink = [&](const std::string& link) {
            shell.createShellLink(link.c_str(), work.targetPath.c_str(), work.arguments.c_str(), installFolder.c_str(),
                                  platform::kSwShowNormal);
        };
        if (!work.newUserLink.empty()) makeLink(work.newUserLink);
        if (allUsers) makeLink(work.newCommonLink);
        record(installedSlot, updateSlot);
    }
    return true;
}

}  // namespace engine
