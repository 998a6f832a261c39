#include "support/file.h"
#include "support/multibyte.h"

namespace support {

std::string fileNameOf(const std::string& path) {
    for (size_t index = path.size(); index-- > 1;) {
        if (isPathSeparatorAt(path, index)) return path.substr(index + 1);
    }
    return path;
}

}  // namespace support
