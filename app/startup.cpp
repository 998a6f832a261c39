#include "app/startup.h"

#include <cstring>

#include "app/command_line.h"
#include "app/messages.h"
#include "app/path_helpers.h"
#include "app/process_state.h"
#include "platform/ui.h"

namespace app {
namespace {

constexpr uint32_t kInstallationValueBuffer = 260;
constexpr uint32_t kPathBuffer = 260;
constexpr const char kUpdateManifestName[] = "Updateinf.dat";
constexpr const char kUninstallManifestName[] = "Uninstallinf.dat";

bool fail(const char* message) {
    platform::ui().messageBox(message, nullptr, platform::kMbOk);
    return false;
}

// The value's data must be a string: terminated within the bytes it delivered, and short
// enough that the manifest path built from it still fits the system's 260-byte path.
bool readInstallationValue(CRegistry& key, const char* valueName, std::string& value) {
    uint8_t buffer[kInstallationValueBuffer] = {};
    uint32_t delivered = 0;
    if (!key.QueryValue(valueName, buffer, sizeof buffer, &delivered)) return false;
    const void* terminator = std::memchr(buffer, 0, delivered);
    if (!terminator) return false;
    size_t length = static_cast<const uint8_t*>(terminator) - buffer;
    if (length + std::strlen(kUninstallManifestName) + 1 > kPathBuffer) return false;
    value.assign(reinterpret_cast<const char*>(buffer), length);
    return true;
}

}  // namespace

bool startUp(const char* commandLine, StartupValues& values) {
    if (selectsRemovalMode(commandLineTail(commandLine))) RemovalMode = true;

    std::string modulePath = getModulePath();
    if (modulePath.empty()) return fail(messages::kUpdateManifestUnreadable);
    values.updateFolder = getParentFolder(modulePath);
    ensureTrailingSeparator(values.updateFolder);
    std::string updateManifestPath = values.updateFolder + kUpdateManifestName;

    if (manifest::loadUpdateManifest(updateManifestPath, updateManifest) != manifest::LoadResult::Loaded) {
        return fail(messages::kUpdateManifestUnreadable);
    }
    const manifest::UpdateHeader& header = updateManifest.header;
    values.notInstalledMessage = std::string(header.productName) + messages::kNotInstalledSuffix;

    // Full access, not read-only: an installation the user may not change is not one to update.
    if (!values.installationKey.Open(platform::kHkeyCurrentUser, header.registryKey, platform::kKeyAllAccess)) {
        return fail(values.notInstalledMessage.c_str());
    }
    if (!readInstallationValue(values.installationKey, header.registryValue, values.installationValue)) {
        return fail(values.notInstalledMessage.c_str());
    }
    values.uninstallManifestPath = values.installationValue + kUninstallManifestName;
    if (manifest::loadUninstallManifest(values.uninstallManifestPath, header.entryCount, uninstallManifest) !=
        manifest::LoadResult::Loaded) {
        return fail(values.notInstalledMessage.c_str());
    }
    return true;
}

}  // namespace app
