#include <windows.h>

#include <memory>

#include "platform/file_names.h"
#include "platform/win32/wide_text.h"

namespace platform {
namespace {

struct SearchCloser {
    void operator()(HANDLE search) const { FindClose(search); }
};

}  // namespace

bool listRealFolder(const std::string& productFolder, std::vector<std::string>& names) {
    std::wstring folder = win32::wideOf(productFolder, CP_ACP);
    if (folder.empty()) return false;
    if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    WIN32_FIND_DATAW found;
    HANDLE first = FindFirstFileW((folder + L"*").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) return false;
    std::unique_ptr<void, SearchCloser> search(first);
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        names.push_back(win32::narrowOf(name, CP_ACP));
    } while (FindNextFileW(search.get(), &found));
    return true;
}

}  // namespace platform
