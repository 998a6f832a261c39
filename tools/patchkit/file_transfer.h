#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Whole-file operations through support::CFile. Paths are as CFile takes them (see
// filePathOf); `why` is English for the tool's messages.
namespace patchkit {

using ByteCounter = std::function<void(uint64_t bytesSoFar)>;

bool readWholeFile(const std::string& path, std::string& bytes, std::string& why);
bool writeWholeFile(const std::string& path, const std::string& bytes, std::string& why);

// `copied` is the number of bytes the copy holds, which is the size to record for it.
bool copyFile(const std::string& from, const std::string& to, uint64_t& copied, std::string& why,
              const ByteCounter& onProgress = nullptr);

// Whether the two files hold the same bytes; false (with `why`) when either cannot be read.
bool sameContent(const std::string& a, const std::string& b, bool& same, std::string& why);

// The size CFile takes at opening; false when the file cannot be opened for reading.
bool sizeOfFile(const std::string& path, uint64_t& size);

}  // namespace patchkit
