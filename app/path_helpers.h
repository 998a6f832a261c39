#pragma once

#include <cstddef>
#include <string>

#include "platform/file_path.h"

// Narrow paths in the ANSI code page. A separator is a backslash or a slash that is a
// character of its own, never the trail byte of a double-byte character; the scans for it are
// the platform's path helper, which the engine and the vendors' tool use too.
namespace app {

// The running executable's full path, or empty when it does not fit its 520 bytes.
std::string getModulePath();

// The bytes before the last separator at index 1 or later; empty when there is none.
using platform::getParentFolder;

// Appends a backslash unless the path is empty or already ends in a separator.
using platform::ensureTrailingSeparator;

}  // namespace app
