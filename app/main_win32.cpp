#include <windows.h>

#include "app/updater.h"

namespace {

// The DLLs that the dialogs, the common controls, their themes, the shell and COM load on
// their own once the run has begun, loaded here from the system folder and kept for the whole
// run, so that each of their later loads by name finds the module already there.
//
// SetDefaultDllDirectories alone does not reach a load that the loader resolves by itself
// with no search path. Wine resolves delay loads that way, and that search begins in the
// program's folder: the themes delay-load msimg32.dll for AlphaBlend the first time a dialog
// paints, and a msimg32.dll planted beside Update.exe was loaded then.
//
// The list is what a whole run loads after its first statement, read off a trace of one
// (WINEDEBUG=+loaddll, the 32-bit and the 64-bit build alike: a confirmed update, the copy
// under the progress dialog, the outcome's box, a shortcut made through the shell and COM).
// Two of the trace's loads are not here: comctl32.dll comes from the side-by-side store through
// the manifest's activation context (the system folder's is another, older module), and
// winex11.drv is Wine's display driver, which its user32 takes from the system folder itself.
// A DLL that this Windows lacks (shcore.dll on Windows 7) fails to load and is passed over:
// nothing of that system loads it either. The end-to-end case PlantedDlls traces a whole run
// with every name the trace shows planted beside Update.exe, and fails on a module from
// anywhere but the system folder or the side-by-side store.
constexpr const char* kDllsLoadedLater[] = {"uxtheme.dll", "msimg32.dll", "shell32.dll", "shlwapi.dll", "shcore.dll"};

constexpr IMAGE_LOAD_CONFIG_DIRECTORY loadConfiguration() {
    IMAGE_LOAD_CONFIG_DIRECTORY configuration{};
    configuration.Size = sizeof configuration;
    configuration.Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32;  // DependentLoadFlags in newer headers
    return configuration;
}

}  // namespace

// The image's own imports are resolved before WinMain, where nothing above applies yet. They
// are KnownDLLs, which Windows takes from the system folder only; as well, Windows 10 applies
// the load configuration's dependent-load flags to them, and those say the system folder.
// GNU ld leaves the load-configuration directory empty whatever the image holds, so the
// configuration has a section of its own, which the build points the directory at after the
// link (cmake/fill_load_config.pl); tests/pe checks the image.
extern "C" const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used __attribute__((used, section(".lcfg"))) =
    loadConfiguration();

// The command-line tail that the runtime passes is not used: start-up takes the tail from
// the full command line itself, by the same rule on every build.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The updater runs elevated from a folder the user downloaded, which anyone may have put a
    // DLL into. From here on only the system folder counts, before anything could load a DLL.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    for (const char* name : kDllsLoadedLater) LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    app::runUpdater();
    return 0;
}
