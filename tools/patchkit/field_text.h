#pragma once

#include <cstddef>
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

}  // namespace patchkit
