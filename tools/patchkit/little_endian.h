#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The little-endian fields of Windows' file formats, read at an offset that the caller has
// checked lies within the bytes.
namespace patchkit {

inline uint16_t littleEndian16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

inline uint32_t littleEndian32(std::string_view bytes, size_t at) {
    return littleEndian16(bytes, at) | static_cast<uint32_t>(littleEndian16(bytes, at + 2)) << 16;
}

}  // namespace patchkit
