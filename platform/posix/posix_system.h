#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the native build puts where Windows would have a system: drives, a per-user registry,
// a code page and a command line. Product code never includes this header; the native entry
// point and the tests do.
namespace platform::posix {

// The folder that holds the drives (drive_c, drive_d, ...) and the registry store. Drive Z:
// is the host's root, as under Wine. Taken from UPDATER_SYSTEM_ROOT, else
// $HOME/.updater-system.
std::string systemRoot();
void setSystemRoot(const std::string& hostFolder);

// A product path (backslashes, optional drive letter, ANSI code page bytes) as a host path.
// Empty when the bytes are not valid in the code page.
std::string hostPathOf(const char* productPath);
// A host path as the product would see it: "Z:\..." in the ANSI code page.
std::string productPathOf(const std::string& hostPath);

// The ANSI code page: 932 by default; tests may select the single-byte 1252.
void selectCodePage(uint32_t codePage);

// The native entry point hands its arguments over; GetCommandLineA then sees them.
void setCommandLine(int argc, char** argv);

// Resources of the native program, which has no resource section: registered here, then
// found and loaded as module resources. The load count says how many loads are not yet freed.
void registerResource(uint32_t type, uint32_t id, std::vector<uint8_t> bytes);
int resourceLoadCount(uint32_t type, uint32_t id);

// A window of the native system. The native program opens none of its own; a WindowHandle
// natively points at one of these, which whoever made it owns.
struct Window {
    bool visible = false;
};

}  // namespace platform::posix
