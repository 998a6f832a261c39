#include <windows.h>

#include "platform/process.h"

namespace platform {
namespace {

class Win32Process final : public Process {
public:
    uint32_t getModuleFileName(char* buffer, uint32_t size) override { return GetModuleFileNameA(nullptr, buffer, size); }
    const char* getCommandLine() override { return GetCommandLineA(); }
};

}  // namespace

Process& systemProcess() {
    static Win32Process instance;
    return instance;
}

}  // namespace platform
