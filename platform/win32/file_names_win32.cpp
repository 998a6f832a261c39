#include <windows.h>

#include <memory>

#include "platform/file_names.h"

namespace platform {
namespace {

struct SearchCloser {
    void operator()(HANDLE search) const { FindClose(search); }
};

std::wstring wideOf(const std::string& text, UINT codePage) {
    int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

// Empty when a character has no form in the code page: no best-fit look-alike stands in.
std::string narrowOf(const std::wstring& wide, UINT codePage) {
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

// NTFS compares names through its upper-case table; the system's own upper-casing is the
// closest a program gets to it.
std::string keyOfFullPath(std::wstring full) {
    CharUpperBuffW(&full[0], static_cast<DWORD>(full.size()));
    std::string key = narrowOf(full, CP_UTF8);
    for (char& c : key) {
        if (c == '\\') c = '/';
    }
    while (key.size() > 1 && key.back() == '/' && key[key.size() - 2] != ':') key.pop_back();
    return key;
}

}  // namespace

// GetFullPathNameW resolves what Windows resolves in a path's text: the current folder and
// drive, "." and "..", slashes, and the dots and blanks that end a name.
bool pathKeyOf(const std::string& productPath, PathKey& key) {
    std::wstring wide = wideOf(productPath, CP_ACP);
    if (wide.empty()) return false;
    DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return false;
    std::wstring full(needed, L'\0');
    DWORD length = GetFullPathNameW(wide.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) return false;
    full.resize(length);
    key.trailingSeparator = full.size() > 3 && (full.back() == L'\\' || full.back() == L'/');
    key.key = keyOfFullPath(full);
    return !key.key.empty();
}

std::string parentKeyOf(const std::string& key) {
    if (key.empty() || key.back() == '/') return {};
    size_t last = key.rfind('/');
    if (last == std::string::npos) return {};
    std::string parent = key.substr(0, last);
    // "C:" and "//server/share" are roots, written with their separator.
    if (parent.find('/') == std::string::npos || (parent.rfind("//", 0) == 0 && parent.find('/', 2) == parent.rfind('/'))) {
        parent += '/';
    }
    return parent;
}

std::string productPathOfKey(const std::string& key) {
    std::string path = narrowOf(wideOf(key, CP_UTF8), CP_ACP);
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

bool listRealFolder(const std::string& folderKey, std::vector<RealChild>& children) {
    std::wstring folder = wideOf(folderKey, CP_UTF8);
    if (folder.empty()) return false;
    if (folder.back() != L'/') folder += L'/';
    WIN32_FIND_DATAW found;
    HANDLE first = FindFirstFileW((folder + L"*").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) return false;
    std::unique_ptr<void, SearchCloser> search(first);
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        children.push_back({keyOfFullPath(folder + name), narrowOf(name, CP_ACP)});
    } while (FindNextFileW(search.get(), &found));
    return true;
}

}  // namespace platform
