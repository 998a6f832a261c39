#pragma once

#include <string>
#include <vector>

#include "engine/progress_dialog.h"

namespace engine {

// Brings every entry of the run's update into the installation (or, in RemovalMode, deletes
// its files), keeping the installation's record in memory in step and, in normal mode,
// journaling every change. installFolder and dataFolder end in a separator. Drives the
// progress dialog through ui and pumps it between chunks. False on the first failure, after
// its own message box, or on a cancel, silently; nothing is undone here.
bool applyUpdate(ProgressDialogUi& ui, ProgressDialog progressDialog, const std::string& installFolder,
                 const std::string& dataFolder);

// Makes every missing folder along path; true when path names a folder afterwards.
bool createDirectoryChain(const std::string& path);
// The paths createDirectoryChain gives CreateDirectoryA for path, shortest first.
std::vector<std::string> directoryChainOf(const std::string& path);

}  // namespace engine
