#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

// Narrow text in a code page as UTF-16: MultiByteToWideChar with MB_ERR_INVALID_CHARS. Empty
// when the bytes are not valid in the code page.
inline std::wstring wideOf(const std::string& text, UINT codePage) {
    int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

// A path as the narrow file calls read it (CreateFileA, MoveFileExA and the others convert with
// MultiByteToWideChar(CP_ACP) and no MB_ERR_INVALID_CHARS): a byte pair that is no character
// of the code page, or a lead byte that ends the path, becomes the code page's default
// character (・ in code page 932), so "\x85\x40.txt" names the file "・.txt". Whatever asks
// which file a path names must read it so.
inline std::wstring wideAsTheNarrowCallsRead(const std::string& path) {
    int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), &wide[0], length);
    return wide;
}

// UTF-16 in a code page: WideCharToMultiByte, with WC_NO_BEST_FIT_CHARS where the code page is
// not UTF-8. Empty when a character has no form there: no look-alike stands in.
inline std::string narrowOf(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) return {};
    BOOL usedDefault = FALSE;
    BOOL* defaultFlag = codePage == CP_UTF8 ? nullptr : &usedDefault;
    DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int length = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, defaultFlag);
    if (length <= 0 || usedDefault) return {};
    std::string narrow(length, '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), &narrow[0], length, nullptr, nullptr);
    return narrow;
}

}  // namespace platform::win32
