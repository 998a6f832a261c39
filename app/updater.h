#pragma once

namespace app {

// The whole run, from the command line to exit; the exit code is always 0.
int runUpdater();

// What follows a successful start-up, on the run's state: the confirmation, the work under
// the progress dialog, the outcome's message with the rollback before a failure's or the
// completion after a success's, and the installation's record saved. Returns when the run is
// over, whatever its outcome.
void runSequence();

}  // namespace app
