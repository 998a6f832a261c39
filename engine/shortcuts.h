#pragma once

#include <string>
#include <string_view>

namespace engine {

// Re-creates every Start-menu shortcut that the run's update changes, in the per-user
// Programs folder and, where an old shortcut of the slot was found and removed there, in the
// all-users one; records each processed slot of the update in the installation's header in
// memory (the run sequence saves it). installFolder is InstallFolder, with its trailing
// separator: the shortcuts' targets lie in it and it is their working directory. Nothing is
// reported; always true.
//
// A slot is skipped (nothing deleted, created or recorded) when a template it needs is
// unusable (see support::expandTemplate), a shortcut name it composes leaves the shortcut
// folder (see staysInFolder), or a name or path it composes does not fit a Windows
// path's 260 bytes; a shortcut folder template that is unusable, or whose name leaves the
// Programs folders, skips every slot. A Programs folder
// that cannot be resolved gets no file operation, and the slot is still recorded.
bool createShortcuts(const std::string& installFolder);

// Whether a name joined to a folder names something inside it: no "." or ".." component and
// no ':' (a drive or a stream). Shortcut names and the shortcut folder's name come from a
// downloaded update and the installation's record, and the updater deletes and writes links by
// them with the rights it was started with.
bool staysInFolder(std::string_view name);

}  // namespace engine
