#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/wine_driver/child_process.h"
#include "tests/wine_driver/wine_program.h"
#include "tests/wine_driver/windows_build.h"

namespace wine_driver {

// A Wine prefix of its own for one end-to-end case or one benchmark, copied from the template
// by scripts/wine-case.sh and used as the unprivileged Wine user, with its wineserver kept up
// from the first program to the last, so that none of them pays for starting it. The probe and
// the launcher are in C:\e2e-probe\, and every program runs on the given display. Programs and
// arguments are named as Windows names them (code page 932). Ending the object ends every Wine
// process of the prefix and removes it.
class CasePrefix {
public:
    static constexpr const char* kProbePath = "C:\\e2e-probe\\probe.exe";
    static constexpr const char* kLauncherPath = "C:\\e2e-probe\\launcher.exe";

    // name: for the folder, so that a person finds a kept one.
    CasePrefix(const std::string& name, const WindowsBuild& build, std::string display);
    ~CasePrefix();
    CasePrefix(const CasePrefix&) = delete;
    CasePrefix& operator=(const CasePrefix&) = delete;

    const std::string& problem() const { return problem_; }  // why the prefix is unusable
    const std::string& prefix() const { return prefix_; }
    std::string driveC() const { return prefix_ + "/drive_c"; }
    // Every program's output and errors, one pair of files a program.
    const std::string& logs() const { return logs_; }

    // Gives what was made on the host to the Wine user, who runs every program here.
    bool handOver(const std::vector<std::string>& hostPaths, std::string& why);

    // Through the launcher, so that the program's Windows process id can be had, for the
    // probe to watch. `environment` ("NAME=value") reaches scripts/wine-case.sh, as
    // UPDATER_DLL_OVERRIDES does.
    std::unique_ptr<WineProgram> start(const std::string& windowsProgram, const std::vector<std::string>& arguments,
                                       const std::vector<std::string>& environment = {});
    // A program run to its end, or killed when the time is up; started directly, since nothing
    // watches its windows.
    Completed run(const std::string& windowsProgram, const std::vector<std::string>& arguments,
                  std::chrono::milliseconds timeout = std::chrono::seconds(30),
                  const std::vector<std::string>& environment = {});

    // Ends every Wine process of the prefix at once; the prefix stays until the object goes.
    void endPrograms();
    // Leaves the prefix on disk when the object goes, for a person to look into.
    void keep() { keep_ = true; }

private:
    Completed script(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout,
                     const std::vector<std::string>& environment = {});
    std::unique_ptr<ChildProcess> program(const std::vector<std::string>& windowsCommand,
                                          const std::vector<std::string>& environment, std::string& stem);

    std::string display_;
    std::string problem_;
    std::string folder_;  // the case folder: prefix/ and logs/
    std::string prefix_;
    std::string logs_;
    int runs_ = 0;
    bool ended_ = false;
    bool keep_ = false;
};

}  // namespace wine_driver
