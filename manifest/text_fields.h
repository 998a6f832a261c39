#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// The layouts' text fields: fixed-width byte arrays, each holding a NUL-terminated code page 932
// string of at most width - 1 bytes, with nothing meant by the bytes after the terminator.
namespace manifest {

// The field's text: its bytes up to the terminator, never past `width`. The loaders refuse a
// text that has no terminator within its field, but a header that came from anywhere else is
// read within its bounds all the same.
inline std::string_view fieldText(const char* field, size_t width) { return {field, strnlen(field, width)}; }

template <size_t Width>
std::string_view fieldText(const char (&field)[Width]) {
    return fieldText(field, Width);
}

// Stores a text in the field, cut where its terminator must still fit, with every byte after it
// zero, so that nothing of the text it replaces is left behind.
template <size_t Width>
void storeFieldText(char (&field)[Width], std::string_view text) {
    static_assert(Width > 0);
    std::memset(field, 0, Width);
    if (!text.empty()) std::memcpy(field, text.data(), text.size() < Width ? text.size() : Width - 1);
}

}  // namespace manifest
