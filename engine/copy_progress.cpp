#include "engine/copy_progress.h"

namespace engine {

uint32_t progressValue(uint64_t size, uint64_t position) {
    // An empty file has no fraction to show; it starts at 0 like any other.
    if (size == 0) return 0;
    if (size > kLargeFileThreshold) return static_cast<uint32_t>(position / (size / 100));
    return static_cast<uint32_t>(position * 100 / size);
}

}  // namespace engine
