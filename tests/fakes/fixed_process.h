#pragma once

#include <string>

#include "platform/module_file_name.h"
#include "platform/process.h"
#include "platform/seam.h"

namespace fakes {

// A process whose executable path and command line the test chooses.
class FixedProcess final : public platform::Process {
public:
    FixedProcess(std::string modulePath, std::string commandLine)
        : modulePath_(std::move(modulePath)), commandLine_(std::move(commandLine)), scope_(*this) {}

    uint32_t getModuleFileName(char* buffer, uint32_t size) override { return platform::reportModuleFileName(modulePath_, buffer, size); }
    const char* getCommandLine() override { return commandLine_.c_str(); }

private:
    std::string modulePath_;
    std::string commandLine_;
    platform::ScopedService<platform::Process> scope_;
};

}  // namespace fakes
