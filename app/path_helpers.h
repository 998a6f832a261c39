#pragma once

#include <cstddef>
#include <string>

// The program's own path, narrow in the ANSI code page. The separator scans on such paths are
// the platform's path helper (platform/file_path.h).
namespace app {

// The running executable's full path, or empty when it does not fit its 520 bytes.
std::string getModulePath();

}  // namespace app
