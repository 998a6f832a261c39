#include <windows.h>

#include "platform/win32/system_library.h"
#include "platform/win32/wide_text.h"
#include "tests/wine_runner/wine_host.h"

namespace wine_runner {

std::string wineVersion() {
    platform::win32::SystemLibrary ntdll("ntdll.dll");
    auto version = ntdll.function<const char* CDECL()>("wine_get_version");
    return version ? version() : "";
}

std::wstring exactPathOf(const std::string& folder) {
    platform::win32::SystemLibrary kernel32("kernel32.dll");
    auto unixName = kernel32.function<char* CDECL(const WCHAR*)>("wine_get_unix_file_name");
    char* name = unixName ? unixName(platform::win32::wideOf(folder, CP_ACP).c_str()) : nullptr;
    if (!name) return {};
    std::wstring path = L"\\\\?\\unix" + platform::win32::wideOf(name, CP_UTF8);
    HeapFree(GetProcessHeap(), 0, name);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    if (path.back() != L'\\') path += L'\\';
    return path;
}

}  // namespace wine_runner
