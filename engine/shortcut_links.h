#pragma once

#include <string>
#include <string_view>

#include "manifest/layouts.h"

// Where the updater's Start-menu links lie, composed as createShortcuts composes them: for the
// updater, and for whoever must know where its links are (patchkit's checks and audit). The
// names come from a downloaded update and from the installation's record, and the updater
// deletes and writes links by them with the rights it was started with.
namespace engine {

// Why no link may be made through this shortcut folder name below the Programs folders, or
// empty: the name rule (manifest/name_rule.h). An empty name puts the links in the Programs
// folders themselves.
std::string shortcutFolderProblem(std::string_view folderName);

// Why the link of a shortcut name, "%s%s.lnk" of the shortcut folder name and the shortcut
// name below a Programs folder, would not be a file inside it, or empty: the name rule for
// the three as they are joined. So "nul" fails as "nul.lnk" does, and a name may end in a dot
// or a blank, since ".lnk" ends the file's name.
std::string shortcutNameProblem(std::string_view folderName, std::string_view shortcutName);

// Both Programs folders with the installation's shortcut folder behind them.
struct ShortcutFolders {
    std::string name;          // UninstallHeader.shortcutFolderTemplate expanded with its templateArgument
    std::string user, common;  // each Programs folder followed by the name; empty where the shell cannot resolve it
};

// The shortcut folders from the installation's header, never from the update's. False when
// the folder template is unusable (see support::expandTemplate; the name is then empty) or
// shortcutFolderProblem refuses the name: no slot then deletes or makes a link.
bool shortcutFoldersOf(const manifest::UninstallHeader& installed, ShortcutFolders& folders);

// The links one slot makes (or, for an installed slot, made), "%s%s.lnk" of each shortcut
// folder and the shortcut name that its template gives with templateArgument; a link is empty
// under a Programs folder that is not resolved. False, with nothing to delete or make, when
// the template is unusable, shortcutNameProblem refuses the name, or the name or a link would
// not fit a Windows path's 260 bytes.
struct SlotLinks {
    std::string user, common;
};
bool slotLinksOf(const manifest::ShortcutSlot& slot, std::string_view templateArgument, const ShortcutFolders& folders, SlotLinks& links);

// The program a slot's link starts and its command-line arguments: the installation folder
// joined to the slot's target, split at the first ".exe" (ASCII case ignored) that a blank
// follows. False when the program's path would not fit a Windows path's 260 bytes; the
// arguments are no path and take any length the field holds.
bool slotTargetOf(const manifest::ShortcutSlot& slot, const std::string& installFolder, std::string& program, std::string& arguments);

}  // namespace engine
