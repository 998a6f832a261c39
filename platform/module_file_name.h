#pragma once

#include <cstdint>
#include <string>

// What the process services that stand in for Windows' own take from GetModuleFileNameA.
namespace platform {

// GetModuleFileNameA's answer for a module whose path is `path`: the path and its terminator
// in buffer, and its length. As on Windows since Vista, a path that does not fit is cut to
// size - 1 bytes and terminated, and the whole size is returned; a buffer of no bytes gets
// nothing and 0.
uint32_t reportModuleFileName(const std::string& path, char* buffer, uint32_t size);

}  // namespace platform
