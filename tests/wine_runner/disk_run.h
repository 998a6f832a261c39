#pragma once

#include <set>
#include <string>
#include <vector>

#include "tests/support/hostile_update_run.h"
#include "tests/wine_runner/case_twins.h"

// One hostile update run whole on the real disk under Wine: the real app::runUpdater over the
// Win32 file service, the installation found through a real value under HKEY_CURRENT_USER, the
// real shell's links in Programs folders of the run's own, the dialogs scripted. Update.exe's
// folder is the one the process's module path names. What the disk holds afterwards is read
// back by exact names, and which file a name leads to is asked of the system (opened_files.h),
// so that the judge shares no rule of names with the product.
namespace wine_runner {

class DiskRun {
public:
    // Everything below `root` (code page 932, a folder that is not there yet, ending in a
    // backslash), found through the registry key `registryKey`; both go with the object.
    DiskRun(std::string root, std::string registryKey);
    ~DiskRun();
    DiskRun(const DiskRun&) = delete;
    DiskRun& operator=(const DiskRun&) = delete;

    // Lays the case and its twins out, runs it and reads the disk back. The case's folders
    // stay until the next case or the end, since the run's keys ask the disk as the judge
    // asks them.
    testing_support::HostileUpdateRun run(const testing_support::HostileUpdate& update, const std::vector<CaseTwin>& twins);

private:
    std::string root_;
    testing_support::RunPlaces places_;
    // The places' folders, relative to the root: every case has them, and they stay between cases.
    std::set<std::wstring> placesFolders_;
};

}  // namespace wine_runner
