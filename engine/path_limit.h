#pragma once

#include <cstddef>
#include <string>

#include "platform/files.h"

namespace engine {

// The platform's path buffer: MAX_PATH bytes, terminator included. The narrow file calls
// refuse or cut anything longer, so a path is checked against it before anything is done with
// it, rather than failing halfway through a run.
inline constexpr size_t kPathBufferSize = platform::kMaxPath;
inline constexpr size_t kLongestPath = kPathBufferSize - 1;

inline bool fitsPathBuffer(const std::string& path) { return path.size() <= kLongestPath; }

}  // namespace engine
