#include "manifest/package_names.h"

#include "platform/text.h"

namespace manifest {

std::string recordTemporaryName(unsigned counter) { return kRecordTemporaryPrefix + std::to_string(counter); }

bool isRecordName(std::string_view name) { return platform::equalsIgnoringAsciiCase(name, kUninstallManifestName); }

bool isRecordTemporaryName(std::string_view name) {
    constexpr std::string_view prefix = kRecordTemporaryPrefix;
    if (name.size() <= prefix.size() || !platform::equalsIgnoringAsciiCase(name.substr(0, prefix.size()), prefix)) return false;
    return name.find_first_not_of("0123456789", prefix.size()) == std::string_view::npos;
}

}  // namespace manifest
