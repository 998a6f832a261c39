#pragma once

#include <cstdint>

namespace engine {

// Bytes asked for per copy step; a step that moves fewer ends the file.
inline constexpr uint32_t kChunkSize = 100000;
// Above this size the progress value divides the size by 100 first.
inline constexpr uint64_t kLargeFileThreshold = 10000000;

// How far the copy of one file has come, 0 to 100, from the source's size and its position
// before the next chunk. The value after a whole file's last full chunk may be 101; it is
// sent as it is.
uint32_t progressValue(uint64_t size, uint64_t position);

}  // namespace engine
