#include <windows.h>

#include "app/updater.h"

// The command-line tail that the runtime passes is not used: start-up takes the tail from
// the full command line itself, by the same rule on every build.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return app::runUpdater(); }
