#include "tests/wine_driver/display.h"

#include <stdlib.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace wine_driver {

Display::Display() {
    char pattern[] = "/tmp/updater-wine-display.XXXXXX";
    if (!mkdtemp(pattern)) {
        problem_ = "cannot make a folder for Xvfb";
        return;
    }
    folder_ = pattern;
    // -displayfd 1: the server takes the first free display number and writes it to its
    // standard output, which is a file here.
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"},
        folder_ + "/number", folder_ + "/log");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        std::string number = readWholeFile(folder_ + "/number");
        if (number.find('\n') != std::string::npos) {
            name_ = ":" + number.substr(0, number.find('\n'));
            return;
        }
        if (server_->waitForExit(std::chrono::milliseconds(20))) break;
    }
    problem_ = "Xvfb did not start: " + readWholeFile(folder_ + "/log");
}

Display::~Display() {
    if (server_) {
        server_->kill();
        server_->waitForExit(std::chrono::seconds(5));
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
}

bool Display::screenshot(const std::string& pngPath) const {
    if (name_.empty()) return false;
    Completed shot = runToCompletion({"import", "-display", name_, "-window", "root", pngPath}, folder_,
                                     std::chrono::seconds(20));
    return !shot.timedOut && shot.exitCode == 0;
}

}  // namespace wine_driver
