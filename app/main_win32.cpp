#include <windows.h>

#include "app/updater.h"

// The command-line tail that the runtime passes is not used: start-up takes the tail from
// the full command line itself, by the same rule on every build.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The updater runs elevated from a folder the user downloaded, which anyone may have put a
    // DLL into. The imports are system DLLs the loader takes from the system folder, but
    // what they load later on their own (the dialogs' theme, the shell and COM for shortcuts)
    // would be searched for beside Update.exe first. From here on only the system folder
    // counts, before anything could load a DLL.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    app::runUpdater();
    return 0;
}
