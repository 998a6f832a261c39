#include "platform/file_path.h"

#include "platform/code_page.h"

namespace platform {
namespace {

bool separatorByte(char byte) { return byte == '\\' || byte == '/'; }

}  // namespace

bool isAnsiLeadByte(uint8_t byte) { return codePage().isLeadByte(byte); }

bool isSingleByteCharacterAt(std::string_view text, size_t index, LeadByteRule isLeadByte) {
    if (index >= text.size()) return false;
    size_t at = 0;
    while (at < index) at += isLeadByte(static_cast<uint8_t>(text[at])) && at + 1 < text.size() ? 2 : 1;
    return at == index && !(isLeadByte(static_cast<uint8_t>(text[index])) && index + 1 < text.size());
}

bool isPathSeparatorAt(std::string_view text, size_t index, LeadByteRule isLeadByte) {
    return index < text.size() && separatorByte(text[index]) && isSingleByteCharacterAt(text, index, isLeadByte);
}

size_t lastSeparatorOf(std::string_view path, size_t from, LeadByteRule isLeadByte) {
    size_t last = kNoSeparator;
    for (size_t at = 0; at < path.size(); ++at) {
        if (isLeadByte(static_cast<uint8_t>(path[at])) && at + 1 < path.size()) {
            ++at;
        } else if (separatorByte(path[at]) && at >= from) {
            last = at;
        }
    }
    return last;
}

std::string fileNameOf(std::string_view path) {
    size_t separator = lastSeparatorOf(path);
    return std::string(separator == kNoSeparator ? path : path.substr(separator + 1));
}

std::string getParentFolder(std::string_view path) {
    size_t separator = lastSeparatorOf(path);
    return separator == kNoSeparator ? std::string() : std::string(path.substr(0, separator));
}

bool endsInSeparator(std::string_view path) { return !path.empty() && isPathSeparatorAt(path, path.size() - 1); }

void ensureTrailingSeparator(std::string& path) {
    if (!path.empty() && !endsInSeparator(path)) path += '\\';
}

}  // namespace platform
