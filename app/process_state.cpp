#include "app/process_state.h"

namespace app {

bool RemovalMode = false;
int32_t cancelRequested = 0;
manifest::UpdateManifest updateManifest;
manifest::UninstallManifest uninstallManifest;

}  // namespace app
