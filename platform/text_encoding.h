#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Conversions between code page 932 and UTF-8, at the edges of the system only: the terminal,
// the vendors' tool's arguments, descriptions and paths. The product's own strings stay in code
// page 932 throughout; a parameter's name says which encoding it holds.
namespace platform {

// Code page 932 bytes to UTF-8. False when the bytes are not valid code page 932.
bool cp932ToUtf8(std::string_view cp932, std::string& utf8);

// UTF-8 to code page 932. False when the input is not UTF-8 or holds a character that code
// page 932 cannot hold; *badOffset is then the byte offset of the first such character.
bool utf8ToCp932(std::string_view utf8, std::string& cp932, size_t* badOffset = nullptr);

// Code page 932 bytes for a terminal or a log: their UTF-8, or the bytes as they are when they
// are not code page 932, so that something is shown rather than nothing.
std::string utf8OrRawBytes(std::string_view cp932);

// UTF-8 to the process's ANSI code page, as a path for the system's narrow calls:
// MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS), then WideCharToMultiByte(CP_ACP,
// WC_NO_BEST_FIT_CHARS). False when the input is not UTF-8 or holds a character that the code
// page cannot hold.
bool utf8ToAnsiCodePage(std::string_view utf8, std::string& ansi);

}  // namespace platform
