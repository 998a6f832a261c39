#pragma once

#include <cstring>
#include <string>

#include "platform/process.h"
#include "platform/seam.h"

namespace fakes {

// A process whose executable path and command line the test chooses.
class FixedProcess final : public platform::Process {
public:
    FixedProcess(std::string modulePath, std::string commandLine)
        : modulePath_(std::move(modulePath)), commandLine_(std::move(commandLine)), scope_(*this) {}

    uint32_t getModuleFileName(char* buffer, uint32_t size) override {
        if (modulePath_.size() >= size) {
            std::memcpy(buffer, modulePath_.data(), size - 1);
            buffer[size - 1] = '\0';
            return size;
        }
        std::memcpy(buffer, modulePath_.c_str(), modulePath_.size() + 1);
        return static_cast<uint32_t>(modulePath_.size());
    }
    const char* getCommandLine() override { return commandLine_.c_str(); }

private:
    std::string modulePath_;
    std::string commandLine_;
    platform::ScopedService<platform::Process> scope_;
};

}  // namespace fakes
