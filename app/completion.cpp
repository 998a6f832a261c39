#include "app/completion.h"

#include "engine/run_state.h"
#include "engine/shortcuts.h"
#include "manifest/text_fields.h"

namespace app {

void completeUpdate(const std::string& installFolder) {
    engine::createShortcuts(installFolder);
    engine::RunState& run = engine::runState();
    const auto& carried = run.updateManifest.header.carriedStrings;
    auto& kept = run.uninstallManifest.header.carriedStrings;
    for (size_t k = 0; k < manifest::kCarriedStringCount; ++k) {
        if (carried[k][0] == '\0') continue;
        manifest::storeFieldText(kept[k], manifest::fieldText(carried[k]));
    }
}

}  // namespace app
