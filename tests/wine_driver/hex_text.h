#pragma once

#include <string>
#include <string_view>

// How the probe and the driver pass texts to each other: bytes (code page 932 texts of the
// updater's windows) as two lower-case hex digits a byte, so that no console code page comes
// between them. Header only: the probe, a Windows program, includes it too.
namespace wine_driver {

inline std::string hexEncode(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

// False for an odd length or a character that is no hex digit; bytes then holds what came
// before it.
inline bool hexDecode(std::string_view hex, std::string& bytes) {
    auto value = [](char digit) {
        if (digit >= '0' && digit <= '9') return digit - '0';
        if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
        if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
        return -1;
    };
    bytes.clear();
    if (hex.size() % 2) return false;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = value(hex[i]), low = value(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high << 4 | low);
    }
    return true;
}

// The bytes of a text the probe wrote; what does not decode is left out.
inline std::string hexDecoded(std::string_view hex) {
    std::string bytes;
    hexDecode(hex, bytes);
    return bytes;
}

}  // namespace wine_driver
