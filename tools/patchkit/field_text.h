#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

// Texts crossing between the vendor's UTF-8 and the fixed-width code page 932 fields of the
// manifests.
namespace patchkit {

// A UTF-8 text for a field of `width` bytes: converted to code page 932 and refused when a
// character has no code page 932 form or the result leaves no room for the terminator.
// `why` then says which character or how many bytes.
bool fieldTextOf(std::string_view utf8, size_t width, std::string& cp932, std::string& why);

// UTF-8 to code page 932 without a width; `why` names the first character it cannot hold.
bool cp932Of(std::string_view utf8, std::string& cp932, std::string& why);

// Code page 932 bytes for display: every byte sequence that is not code page 932 becomes
// U+FFFD, so the result is always UTF-8. False when anything was replaced.
bool displayTextOf(std::string_view cp932, std::string& utf8);
// The same, for showing only.
inline std::string displayText(std::string_view cp932) {
    std::string utf8;
    displayTextOf(cp932, utf8);
    return utf8;
}

// The text of a field: its bytes up to the terminator, or the whole width when it has none.
inline std::string_view fieldBytes(const char* field, size_t width) {
    const void* end = std::memchr(field, 0, width);
    return std::string_view(field, end ? static_cast<size_t>(static_cast<const char*>(end) - field) : width);
}

// Stores a text that fits (checked by fieldTextOf), the rest of the field zero.
template <size_t Width>
void storeText(char (&field)[Width], const std::string& cp932) {
    static_assert(Width > 0);
    std::memset(field, 0, Width);
    std::memcpy(field, cp932.data(), cp932.size() < Width ? cp932.size() : Width - 1);
}

}  // namespace patchkit
