#include "app/updater.h"

#include "app/startup.h"
#include "platform/process.h"

namespace app {

int runUpdater() {
    StartupValues values;
    if (!startUp(platform::process().getCommandLine(), values)) return 0;
    // The confirmation and the run itself follow start-up here.
    return 0;
}

}  // namespace app
