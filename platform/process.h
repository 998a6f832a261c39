#pragma once

#include <cstdint>

namespace platform {

class Process {
public:
    virtual ~Process() = default;

    // GetModuleFileNameA(no module, buffer, size): the length copied without the terminator,
    // 0 on failure; a path that does not fit is cut and the result equals size.
    virtual uint32_t getModuleFileName(char* buffer, uint32_t size) = 0;

    // GetCommandLineA: the whole command line, program name first.
    virtual const char* getCommandLine() = 0;

    static Process* replace(Process* replacement);
};

Process& process();

}  // namespace platform
