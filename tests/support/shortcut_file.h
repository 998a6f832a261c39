#pragma once

#include <string>

namespace testing_support {

// A shortcut file's fields, read back through the system's own reader (the shell's
// IShellLinkA on Windows, the native backend's text file natively), independently of the
// code that wrote it. Paths in the ANSI code page.
struct ShortcutFile {
    bool loaded = false;
    std::string targetPath, arguments, workingDirectory;
    int showCommand = 0;
};

ShortcutFile readShortcut(const std::string& linkPath);

}  // namespace testing_support
