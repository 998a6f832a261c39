#pragma once

#include "app/startup.h"

namespace app {

// The whole run, from the command line to exit; the exit code is always 0.
int runUpdater();

// What follows a successful start-up: the confirmation, then the work under the progress
// dialog. Returns when the run is over, whatever its outcome.
void runSequence(StartupValues& values);

}  // namespace app
