#pragma once

#include <string>

namespace engine {

// Re-creates every Start-menu shortcut that the run's update changes, in the per-user
// Programs folder and, where an old shortcut of the slot was found and removed there, in the
// all-users one; records each processed slot of the update in the installation's header in
// memory (the run sequence saves it). installFolder is InstallFolder, with its trailing
// separator: the shortcuts' targets lie in it and it is their working directory. Nothing is
// reported; always true.
//
// A slot is skipped (nothing deleted, created or recorded) when it makes no link (a template
// it needs is unusable, a name fails the name rule, or a name or path it composes does not fit
// a Windows path's 260 bytes; see engine/shortcut_links.h) or its target path does not fit; a
// shortcut folder template that is unusable, or whose name fails the name rule, skips every
// slot. A Programs folder that cannot be resolved gets no file operation, and the slot is still
// recorded.
bool createShortcuts(const std::string& installFolder);

}  // namespace engine
