#pragma once

#include <cstddef>
#include <string>

#include "support/multibyte.h"

// Narrow paths in the ANSI code page. A separator is a backslash or a slash that is a
// character of its own, never the trail byte of a double-byte character
// (support::isPathSeparatorAt).
namespace app {

// The running executable's full path, or empty when it does not fit its 520 bytes.
std::string getModulePath();

// The bytes before the last separator at index 1 or later; empty when there is none.
std::string getParentFolder(const std::string& path);

// Appends a backslash unless the path is empty or already ends in a separator. The support
// library's, since the engine needs it too.
using support::ensureTrailingSeparator;

}  // namespace app
