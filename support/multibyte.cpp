#include "support/multibyte.h"

#include <cstdint>

#include "platform/code_page.h"

namespace support {

bool isSingleByteCharacterAt(std::string_view text, size_t index) {
    if (index >= text.size()) return false;
    platform::CodePage& codePage = platform::codePage();
    size_t at = 0;
    while (at < index) {
        // A lead byte at the very end has no trail byte; it then stands alone.
        at += codePage.isLeadByte(static_cast<uint8_t>(text[at])) && at + 1 < text.size() ? 2 : 1;
    }
    return at == index && !(codePage.isLeadByte(static_cast<uint8_t>(text[index])) && index + 1 < text.size());
}

bool isPathSeparatorAt(std::string_view text, size_t index) {
    if (index >= text.size()) return false;
    char byte = text[index];
    return (byte == '\\' || byte == '/') && isSingleByteCharacterAt(text, index);
}

void ensureTrailingSeparator(std::string& path) {
    if (path.empty() || isPathSeparatorAt(path, path.size() - 1)) return;
    path += '\\';
}

}  // namespace support
