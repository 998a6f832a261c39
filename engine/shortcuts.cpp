#include "engine/shortcuts.h"

#include <string_view>

#include "engine/path_limit.h"
#include "engine/run_state.h"
#include "engine/shortcut_links.h"
#include "manifest/text_fields.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace engine {
namespace {

using manifest::fieldText;
using manifest::ShortcutSlot;

// Both texts of the slots equal under the manifests' A-Z folding, over at most 259 bytes.
bool sameShortcut(const ShortcutSlot& update, const ShortcutSlot& installed) {
    return platform::equalsIgnoringAsciiCase(fieldText(update.nameTemplate, kLongestPath),
                                             fieldText(installed.nameTemplate, kLongestPath)) &&
           platform::equalsIgnoringAsciiCase(fieldText(update.target, kLongestPath), fieldText(installed.target, kLongestPath));
}

// What one slot does, composed whole before anything on disk is touched. A link is empty
// where there is nothing to do: no old shortcut, or a Programs folder that is not resolved.
struct SlotWork {
    SlotLinks oldLinks, newLinks;
    std::string targetPath, arguments;
};

bool planSlot(const ShortcutSlot& update, const ShortcutSlot& installed, std::string_view templateArgument,
              const ShortcutFolders& folders, const std::string& installFolder, SlotWork& work) {
    if (!slotLinksOf(update, templateArgument, folders, work.newLinks)) return false;
    if (installed.nameTemplate[0] != '\0' && !slotLinksOf(installed, templateArgument, folders, work.oldLinks)) return false;
    return slotTargetOf(update, installFolder, work.targetPath, work.arguments);
}

void record(ShortcutSlot& installed, const ShortcutSlot& update) {
    manifest::storeFieldText(installed.nameTemplate, fieldText(update.nameTemplate));
    manifest::storeFieldText(installed.target, fieldText(update.target));
}

}  // namespace

bool createShortcuts(const std::string& installFolder) {
    const manifest::UpdateHeader& update = runState().updateManifest.header;
    manifest::UninstallHeader& installed = runState().uninstallManifest.header;
    platform::Files& files = platform::files();
    platform::Shell& shell = platform::shell();

    std::string_view templateArgument = fieldText(installed.templateArgument);
    ShortcutFolders folders;
    if (!shortcutFoldersOf(installed, folders)) return true;

    for (size_t k = 0; k < manifest::kShortcutSlotCount; ++k) {
        const ShortcutSlot& updateSlot = update.shortcuts[k];
        ShortcutSlot& installedSlot = installed.shortcuts[k];
        // An unused update slot leaves an installed shortcut alone; an unchanged one is taken
        // to exist, without looking at the disk.
        if (updateSlot.nameTemplate[0] == '\0' || sameShortcut(updateSlot, installedSlot)) continue;
        SlotWork work;
        if (!planSlot(updateSlot, installedSlot, templateArgument, folders, installFolder, work)) continue;

        bool allUsers = false;
        if (!work.oldLinks.user.empty()) files.deleteFile(work.oldLinks.user.c_str());
        if (!work.oldLinks.common.empty() && files.getFileAttributes(folders.common.c_str()) != platform::kInvalidFileAttributes) {
            allUsers = files.deleteFile(work.oldLinks.common.c_str());
        }
        auto makeLink = [&](const std::string& link) {
            shell.createShellLink(link.c_str(), work.targetPath.c_str(), work.arguments.c_str(), installFolder.c_str(),
                                  platform::kSwShowNormal);
        };
        if (!work.newLinks.user.empty()) makeLink(work.newLinks.user);
        if (allUsers) makeLink(work.newLinks.common);
        record(installedSlot, updateSlot);
    }
    return true;
}

}  // namespace engine
