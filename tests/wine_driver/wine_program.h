#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "tests/wine_driver/child_process.h"

namespace wine_driver {

// A Windows program started in a prefix through the launcher, which says the program's
// Windows process id: the Linux process that the host sees is not the Windows one.
class WineProgram {
public:
    WineProgram(std::unique_ptr<ChildProcess> process, std::string outPath, std::string errPath);

    // The program's exit code, or nothing if it is still running when the time is up.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout = std::chrono::milliseconds(20000));
    // Ends the program at once, as a crash or a power cut would; nothing of it runs on.
    void kill();
    std::string output() const;
    // Wine's messages, with the launcher's line that names the process.
    std::string errors() const;

    // The program's Windows process id, as soon as the launcher has said it; nothing when the
    // launcher ended without a word or the time is up.
    std::optional<unsigned long> processId(std::chrono::milliseconds timeout = std::chrono::seconds(30));

private:
    std::unique_ptr<ChildProcess> process_;
    std::string outPath_;
    std::string errPath_;
    std::optional<unsigned long> processId_;
};

}  // namespace wine_driver
