#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Rules about bytes and characters that every layer shares, each written here once.
namespace platform {

// A-Z onto a-z and every other byte as it is: no locale and no multibyte awareness, so a
// trail byte in that range is folded too. Manifest names, registry names, device names and
// typed answers all match by this rule.
constexpr char foldAsciiCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);
std::string foldedAsciiCase(std::string_view text);

// Whether the byte starts a double-byte character of code page 932.
constexpr bool isCp932LeadByte(uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// The bytes of the UTF-8 sequence that `lead` starts: 1 to 4. A byte that cannot start one
// (a continuation byte, 0xF8 and above) counts as 1, so that a scan moves past it and a
// conversion of that one byte refuses it.
size_t utf8SequenceLength(uint8_t lead);

}  // namespace platform
