#include "tests/wine_driver/wine_program.h"

#include <cstdlib>
#include <sstream>
#include <thread>

namespace wine_driver {
namespace {

// The launcher's "process id=N" line, which may be followed by anything Wine says.
std::optional<unsigned long> launchedProcessId(const std::string& errors) {
    static const std::string kPrefix = "process id=";
    std::istringstream lines(errors);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(kPrefix, 0) == 0 && line.size() > kPrefix.size()) {
            return std::strtoul(line.c_str() + kPrefix.size(), nullptr, 10);
        }
    }
    return std::nullopt;
}

}  // namespace

WineProgram::WineProgram(std::unique_ptr<ChildProcess> process, std::string outPath, std::string errPath)
    : process_(std::move(process)), outPath_(std::move(outPath)), errPath_(std::move(errPath)) {}

std::optional<int> WineProgram::waitForExit(std::chrono::milliseconds timeout) { return process_->waitForExit(timeout); }
void WineProgram::kill() { process_->kill(); }
std::string WineProgram::output() const { return readWholeFile(outPath_); }
std::string WineProgram::errors() const { return readWholeFile(errPath_); }

std::optional<unsigned long> WineProgram::processId(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!processId_) {
        // Whether it has ended is asked before its words are read: all it said is then read.
        bool ended = process_->waitForExit(std::chrono::milliseconds(0)).has_value();
        processId_ = launchedProcessId(errors());
        if (processId_ || ended || std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return processId_;
}

}  // namespace wine_driver
