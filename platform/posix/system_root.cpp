#include <cstdlib>
#include <string>

#include "platform/posix/posix_system.h"

namespace platform::posix {
namespace {
std::string& overrideRoot() {
    static std::string root;
    return root;
}
}  // namespace

std::string systemRoot() {
    if (!overrideRoot().empty()) return overrideRoot();
    if (const char* fromEnvironment = std::getenv("UPDATER_SYSTEM_ROOT"); fromEnvironment && *fromEnvironment) {
        return fromEnvironment;
    }
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.updater-system";
}

void setSystemRoot(const std::string& hostFolder) { overrideRoot() = hostFolder; }

}  // namespace platform::posix
