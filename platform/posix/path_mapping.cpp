#include <string>

#include "platform/code_page.h"
#include "platform/posix/posix_system.h"
#include "platform/text_encoding.h"

namespace platform::posix {
namespace {

// Product paths are bytes in the ANSI code page; host paths are UTF-8. Converting first and
// then turning backslashes into slashes keeps a 0x5C trail byte (as in 表, 0x95 0x5C) inside
// its character, as Windows does.
bool toUtf8(const char* productPath, std::string& utf8) {
    std::string_view bytes(productPath);
    if (codePage().activeCodePage() == 932) {
        return cp932ToUtf8(bytes, utf8);
    }
    // The single-byte code page that tests select is Latin-1 for these purposes.
    utf8.clear();
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return true;
}

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string hostPathOf(const char* productPath) {
    std::string utf8;
    if (!toUtf8(productPath, utf8)) return {};
    for (char& c : utf8) {
        if (c == '\\') c = '/';
    }
    if (utf8.size() >= 2 && isDriveLetter(utf8[0]) && utf8[1] == ':') {
        char drive = static_cast<char>(utf8[0] | 0x20);
        std::string rest = utf8.substr(2);
        if (drive == 'z') return rest.empty() ? "/" : rest;
        std::string base = systemRoot() + "/drive_" + drive;
        return rest.empty() ? base : base + (rest[0] == '/' ? "" : "/") + rest;
    }
    return utf8;
}

std::string productPathOf(const std::string& hostPath) {
    std::string product;
    if (!utf8ToAnsiCodePage(hostPath, product)) return {};
    for (char& c : product) {
        if (c == '/') c = '\\';
    }
    return "Z:" + product;
}

}  // namespace platform::posix
