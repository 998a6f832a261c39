#pragma once

namespace app {

// The whole run, from the command line to exit; the exit code is always 0.
int runUpdater();

}  // namespace app
