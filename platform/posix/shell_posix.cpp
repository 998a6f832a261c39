#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/posix_system.h"
#include "platform/shell.h"
#include "platform/text_encoding.h"

namespace platform {
namespace {

// The host's login name stands for the Windows user, as under Wine.
std::string userName() {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name && *entry->pw_name) return entry->pw_name;
    const char* fromEnvironment = std::getenv("USER");
    return fromEnvironment && *fromEnvironment ? fromEnvironment : "user";
}

class PosixShell final : public Shell {
public:
    // The Programs folders lie where Wine puts them, on drive C: under the system root.
    std::string specialFolderPath(int csidl) override {
        if (csidl == kCsidlCommonPrograms) return "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
        if (csidl != kCsidlPrograms) return {};
        std::string user;
        if (!utf8ToCp932(userName(), user)) return {};
        return "C:\\users\\" + user + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
    }

    // A shortcut is a small UTF-8 text file, one field a line, that a person or a test can
    // read: target, arguments, working directory and show command. A field that is not set
    // is an empty line's value.
    bool createShellLink(const char* linkPath, const char* targetPath, const char* arguments, const char* workingDirectory,
                         int showCommand) override {
        std::string hostPath = posix::hostPathOf(linkPath);
        std::string target, argumentText, folder;
        if (hostPath.empty() || !cp932ToUtf8(targetPath, target) || !cp932ToUtf8(arguments ? arguments : "", argumentText) ||
            !cp932ToUtf8(workingDirectory ? workingDirectory : "", folder)) {
            return false;
        }
        std::string text = "target=" + target + "\narguments=" + argumentText + "\nworkingDirectory=" + folder +
                           "\nshowCommand=" + std::to_string(showCommand) + "\n";
        std::FILE* file = std::fopen(hostPath.c_str(), "wb");
        if (!file) return false;
        bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
        return std::fclose(file) == 0 && written;
    }
};

}  // namespace

Shell& systemShell() {
    static PosixShell instance;
    return instance;
}

}  // namespace platform
