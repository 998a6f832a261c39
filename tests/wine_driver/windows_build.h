#pragma once

#include <optional>
#include <string>

namespace wine_driver {

// The Windows build whose programs run under Wine here: UPDATER_WINDOWS_BUILD, else the
// preset's build folder of the build that Wine can run (windows, or windows64 where Wine runs
// only 64-bit programs; scripts/wine-env.sh decides).
struct WindowsBuild {
    std::string folder;
    std::string updater;   // Update.exe
    std::string probe;     // what looks at and drives the updater's windows
    std::string launcher;  // what starts a program and says its Windows process id
};

// Nothing when one of the programs is missing there; whereLooked names the folder, or why
// there is none.
std::optional<WindowsBuild> findWindowsBuild(std::string& whereLooked);

}  // namespace wine_driver
