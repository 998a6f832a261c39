#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Where the separators of a narrow path are, held once for every layer, as a FilePath holds
// them in Chromium's base. A separator is a backslash or a slash that is a single-byte
// character: the 0x5C of 表 (0x95 0x5C) belongs to its character. Which bytes lead a
// double-byte character is the process's ANSI code page's answer, as the system's narrow calls
// read a path, unless the caller names code page 932 itself: Windows' rule for a package's
// names holds on whatever host the package is judged.
namespace platform {

using LeadByteRule = bool (*)(uint8_t byte);
// codePage().isLeadByte.
bool isAnsiLeadByte(uint8_t byte);

// Whether the byte at `index` is a character of its own, and not the lead or trail byte of a
// double-byte character. Judged by parsing the text from its start, since a trail byte of code
// page 932 can have any value from 0x40 up, backslash included. A lead byte at the very end has
// no trail byte and stands alone.
bool isSingleByteCharacterAt(std::string_view text, size_t index, LeadByteRule isLeadByte = isAnsiLeadByte);
bool isPathSeparatorAt(std::string_view text, size_t index, LeadByteRule isLeadByte = isAnsiLeadByte);

inline constexpr size_t kNoSeparator = std::string_view::npos;
// The index of the path's last separator at `from` or later, or kNoSeparator. The product's
// helpers never take the first byte for one ("\name" has no folder), so they start at 1.
size_t lastSeparatorOf(std::string_view path, size_t from = 1, LeadByteRule isLeadByte = isAnsiLeadByte);

// The bytes after the last separator, or the whole path when there is none.
std::string fileNameOf(std::string_view path);
// The bytes before the last separator, without it, or empty when there is none.
std::string getParentFolder(std::string_view path);
bool endsInSeparator(std::string_view path);
// Appends a backslash unless the path is empty or already ends in a separator.
void ensureTrailingSeparator(std::string& path);

}  // namespace platform
