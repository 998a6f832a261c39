#include <unistd.h>

#include <climits>
#include <string>

#include "platform/module_file_name.h"
#include "platform/posix/posix_system.h"
#include "platform/process.h"

namespace platform {
namespace {

class PosixProcess final : public Process {
public:
    uint32_t getModuleFileName(char* buffer, uint32_t size) override {
        char host[PATH_MAX];
        ssize_t length = ::readlink("/proc/self/exe", host, sizeof host - 1);
        if (length <= 0) return 0;
        std::string path = posix::productPathOf(std::string(host, static_cast<size_t>(length)));
        if (path.empty()) return 0;
        return reportModuleFileName(path, buffer, size);
    }

    const char* getCommandLine() override { return commandLine_.c_str(); }

    void setCommandLine(int argc, char** argv) {
        // The program name quoted, the arguments after it separated by one blank: enough to
        // give the tail the same shape as on Windows.
        commandLine_ = "\"" + std::string(argc > 0 ? argv[0] : "update") + "\"";
        for (int i = 1; i < argc; ++i) commandLine_ += std::string(" ") + argv[i];
    }

private:
    std::string commandLine_ = "\"update\"";
};

PosixProcess& processInstance() {
    static PosixProcess process;
    return process;
}

}  // namespace

Process& systemProcess() { return processInstance(); }

namespace posix {
void setCommandLine(int argc, char** argv) { processInstance().setCommandLine(argc, argv); }
}  // namespace posix

}  // namespace platform
