#include "app/startup.h"

#include <cstring>

#include "app/command_line.h"
#include "app/messages.h"
#include "app/path_helpers.h"
#include "engine/path_limit.h"
#include "engine/run_state.h"
#include "manifest/package_names.h"
#include "platform/file_path.h"
#include "platform/ui.h"

namespace app {
namespace {

bool fail(const char* message) {
    platform::ui().messageBox(message, nullptr, platform::kMbOk);
    return false;
}

// The value's data names a folder, and gets a path's buffer. It must be a string: terminated
// within the bytes it delivered, and short enough that the manifest path built from it still
// fits the system's path.
bool readInstallationValue(CRegistry& key, const char* valueName, std::string& value) {
    uint8_t buffer[engine::kPathBufferSize] = {};
    uint32_t delivered = 0;
    if (!key.QueryValue(valueName, buffer, sizeof buffer, &delivered)) return false;
    const void* terminator = std::memchr(buffer, 0, delivered);
    if (!terminator) return false;
    size_t length = static_cast<const uint8_t*>(terminator) - buffer;
    if (length + std::strlen(manifest::kUninstallManifestName) > engine::kLongestPath) return false;
    value.assign(reinterpret_cast<const char*>(buffer), length);
    return true;
}

}  // namespace

bool startUp(const char* commandLine, CRegistry& installationKey) {
    engine::RunState& run = engine::runState();
    if (selectsRemovalMode(commandLineTail(commandLine))) run.RemovalMode = true;

    std::string modulePath = getModulePath();
    if (modulePath.empty()) return fail(messages::kUpdateManifestUnreadable);
    run.UpdateFolder = platform::getParentFolder(modulePath);
    platform::ensureTrailingSeparator(run.UpdateFolder);
    std::string updateManifestPath = run.UpdateFolder + manifest::kUpdateManifestName;

    if (manifest::loadUpdateManifest(updateManifestPath, run.updateManifest) != manifest::LoadResult::Loaded) {
        return fail(messages::kUpdateManifestUnreadable);
    }
    const manifest::UpdateHeader& header = run.updateManifest.header;
    std::string notInstalledMessage = std::string(header.productName) + messages::kNotInstalledSuffix;

    // Full access, not read-only: an installation the user may not change is not one to update.
    if (!installationKey.Open(platform::kHkeyCurrentUser, header.registryKey, platform::kKeyAllAccess)) {
        return fail(notInstalledMessage.c_str());
    }
    if (!readInstallationValue(installationKey, header.registryValue, run.installationValue)) {
        return fail(notInstalledMessage.c_str());
    }
    run.uninstallManifestPath = run.installationValue + manifest::kUninstallManifestName;
    if (manifest::loadUninstallManifest(run.uninstallManifestPath, header.entryCount, run.uninstallManifest) !=
        manifest::LoadResult::Loaded) {
        return fail(notInstalledMessage.c_str());
    }
    return true;
}

}  // namespace app
