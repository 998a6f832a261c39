#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace wine_driver {

// A host program with standard input from /dev/null and its output in two files. It runs in
// a process group of its own, so that ending it also ends whatever it started in the
// foreground (runuser and the Wine loader under it).
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& outPath, const std::string& errPath,
                 const std::vector<std::string>& extraEnvironment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // The exit code (128 + the signal for a killed process), or nothing if it is still running
    // when the time is up.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    void kill();

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

struct Completed {
    bool timedOut = false;
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a program to its end, or kills it when the time is up. The output goes through files
// in scratchFolder and is returned.
Completed runToCompletion(const std::vector<std::string>& argv, const std::string& scratchFolder,
                          std::chrono::milliseconds timeout, const std::vector<std::string>& extraEnvironment = {});

std::string readWholeFile(const std::string& path);

}  // namespace wine_driver
