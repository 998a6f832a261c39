#include "platform/module_file_name.h"

#include <cstring>

namespace platform {

uint32_t reportModuleFileName(const std::string& path, char* buffer, uint32_t size) {
    if (size == 0) return 0;
    if (path.size() >= size) {
        std::memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = '\0';
        return size;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<uint32_t>(path.size());
}

}  // namespace platform
