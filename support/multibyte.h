#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace support {

// Whether the byte at `index` is a character of its own in the ANSI code page, and not the
// lead or trail byte of a double-byte character. Judged by parsing the text from its start,
// since a trail byte of code page 932 can have any value from 0x40 up, backslash included.
bool isSingleByteCharacterAt(std::string_view text, size_t index);

// A path separator is a backslash or a slash that is a single-byte character: the 0x5C of
// 表 (0x95 0x5C) is part of the character, not a separator.
bool isPathSeparatorAt(std::string_view text, size_t index);

// Appends a backslash unless the path is empty or already ends in a separator.
void ensureTrailingSeparator(std::string& path);

}  // namespace support
