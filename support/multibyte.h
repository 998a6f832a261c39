#pragma once

#include "platform/file_path.h"

// The separator rule lives with the platform's path helper (platform/file_path.h); these are
// its names where support code calls them.
namespace support {

using platform::ensureTrailingSeparator;
using platform::isPathSeparatorAt;
using platform::isSingleByteCharacterAt;

}  // namespace support
