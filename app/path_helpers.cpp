#include "app/path_helpers.h"

#include "platform/process.h"

namespace app {

namespace {
constexpr uint32_t kModulePathBuffer = 520;
}

std::string getModulePath() {
    char buffer[kModulePathBuffer] = {};
    uint32_t length = platform::process().getModuleFileName(buffer, kModulePathBuffer);
    // A path cut at the buffer's end would name another folder; it counts as no path at all.
    if (length == 0 || length >= kModulePathBuffer) return {};
    return std::string(buffer, length);
}

}  // namespace app
