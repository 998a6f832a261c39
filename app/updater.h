#pragma once

namespace app {

// The whole run, from the command line to exit; the exit code is always 0.
int runUpdater();

// What follows a successful start-up, on the run's state: the confirmation, then the work
// under the progress dialog. Returns when the run is over, whatever its outcome.
void runSequence();

}  // namespace app
