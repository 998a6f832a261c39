#include <windows.h>

#include <vector>

#include "tools/patchkit/host_paths.h"

namespace patchkit {

// CFile opens through CreateFileA, which reads the path in the ANSI code page. On the target
// systems that is 932; elsewhere a path with characters the code page lacks cannot be opened
// this way, and the tool says so instead of opening a look-alike name.
bool filePathOf(const std::string& utf8, std::string& narrow, std::string& why) {
    narrow.clear();
    if (utf8.empty()) return true;
    int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wideLength <= 0) {
        why = "is not UTF-8 text";
        return false;
    }
    std::vector<wchar_t> wide(wideLength);
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wideLength);
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) {
        why = "has characters that the ANSI code page " + std::to_string(GetACP()) + " cannot hold";
        return false;
    }
    narrow.resize(length);
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, &narrow[0], length, nullptr, nullptr);
    return true;
}

}  // namespace patchkit
