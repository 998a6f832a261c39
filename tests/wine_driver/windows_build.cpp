#include "tests/wine_driver/windows_build.h"

#include <stdlib.h>

#include <filesystem>

#include "tests/wine_driver/child_process.h"
#include "tests/wine_driver/wine_case_script.h"

namespace fs = std::filesystem;

namespace wine_driver {

std::optional<WindowsBuild> findWindowsBuild(std::string& whereLooked) {
    WindowsBuild build;
    const char* named = std::getenv("UPDATER_WINDOWS_BUILD");
    build.folder = named ? named : "";
    if (build.folder.empty()) {
        char scratch[] = "/tmp/updater-wine-build.XXXXXX";
        if (!mkdtemp(scratch)) {
            whereLooked = "nowhere: cannot make a scratch folder";
            return std::nullopt;
        }
        Completed asked = runToCompletion(wineCaseCommand({"windows-build"}), scratch, std::chrono::seconds(60));
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
        std::string name = asked.out.substr(0, asked.out.find('\n'));
        if (asked.timedOut || asked.exitCode != 0 || name.empty()) {
            whereLooked = "no folder: wine-case.sh windows-build failed: " + asked.err;
            return std::nullopt;
        }
        build.folder = std::string(UPDATER_WINE_DRIVER_BUILDS) + "/" + name;
    }
    build.updater = build.folder + "/app/Update.exe";
    build.probe = build.folder + "/tests/e2e/probe/probe.exe";
    build.launcher = build.folder + "/tests/e2e/probe/launcher.exe";
    whereLooked = build.folder;
    for (const std::string& program : {build.updater, build.probe, build.launcher}) {
        if (!fs::is_regular_file(program)) return std::nullopt;
    }
    return build;
}

}  // namespace wine_driver
