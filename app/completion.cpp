#include "app/completion.h"

#include <cstring>

#include "engine/run_state.h"
#include "engine/shortcuts.h"

namespace app {

void completeUpdate(const std::string& installFolder) {
    engine::createShortcuts(installFolder);
    engine::RunState& run = engine::runState();
    const auto& carried = run.updateManifest.header.carriedStrings;
    auto& kept = run.uninstallManifest.header.carriedStrings;
    for (size_t k = 0; k < manifest::kCarriedStringCount; ++k) {
        if (carried[k][0] == '\0') continue;
        // The whole field is cleared first, so no byte of the old string survives after the
        // new terminator. The loader has made sure the update's string ends within its field.
        std::memset(kept[k], 0, sizeof kept[k]);
        std::memcpy(kept[k], carried[k], strnlen(carried[k], sizeof kept[k] - 1));
    }
}

}  // namespace app
