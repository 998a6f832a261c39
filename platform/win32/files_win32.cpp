#include <windows.h>

#include <cstring>

#include "platform/files.h"
#include "platform/win32/wide_text.h"

namespace platform {
namespace {

class Win32Files final : public Files {
public:
    FileHandle createFile(const char* path, uint32_t access, uint32_t share, uint32_t disposition) override {
        return CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    bool readFile(FileHandle file, void* buffer, uint32_t count, uint32_t* transferred) override {
        DWORD done = 0;
        BOOL ok = ReadFile(file, buffer, count, &done, nullptr);
        *transferred = done;
        return ok != FALSE;
    }
    bool writeFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* transferred) override {
        DWORD done = 0;
        BOOL ok = WriteFile(file, buffer, count, &done, nullptr);
        *transferred = done;
        return ok != FALSE;
    }
    uint32_t getFileSize(FileHandle file, uint32_t* high) override {
        DWORD highWord = 0;
        DWORD low = GetFileSize(file, &highWord);
        if (high) *high = highWord;
        return low;
    }
    uint32_t setFilePointer(FileHandle file, int32_t distanceLow, int32_t* distanceHigh, uint32_t method) override {
        LONG high = distanceHigh ? *distanceHigh : 0;
        DWORD low = SetFilePointer(file, distanceLow, distanceHigh ? &high : nullptr, method);
        if (distanceHigh) *distanceHigh = high;
        return low;
    }
    bool closeHandle(FileHandle file) override { return CloseHandle(file) != FALSE; }
    bool getFileInformationByHandle(FileHandle file, FileIdentity* identity) override {
        BY_HANDLE_FILE_INFORMATION information;
        if (!GetFileInformationByHandle(file, &information)) return false;
        identity->volume = information.dwVolumeSerialNumber;
        identity->index = (uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
        return true;
    }
    bool flushFileBuffers(FileHandle file) override { return FlushFileBuffers(file) != FALSE; }
    uint32_t getFileAttributes(const char* path) override { return GetFileAttributesA(path); }
    bool setFileAttributes(const char* path, uint32_t attributes) override {
        return SetFileAttributesA(path, attributes) != FALSE;
    }
    bool moveFileReplace(const char* from, const char* to) override {
        return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    bool deleteFile(const char* path) override { return DeleteFileA(path) != FALSE; }
    bool createDirectory(const char* path) override { return CreateDirectoryA(path, nullptr) != FALSE; }
    bool removeDirectory(const char* path) override { return RemoveDirectoryA(path) != FALSE; }
    bool listFolder(const char* folder, std::vector<std::string>& names) override {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((std::string(folder) + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return false;
        do {
            if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0) names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return true;
    }
    std::string fileKeyOf(const char* path) override {
        std::wstring wide = win32::wideAsTheNarrowCallsRead(path);
        if (wide.empty()) return {};
        DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
        if (needed == 0) return {};
        std::wstring full(needed, L'\0');
        DWORD length = GetFullPathNameW(wide.c_str(), needed, &full[0], nullptr);
        if (length == 0 || length >= needed) return {};
        full.resize(length);
        CharUpperBuffW(&full[0], length);
        // A folder's path may end in its separator; the folder is the same.
        std::string key = win32::narrowOf(full, CP_UTF8);
        for (char& c : key) {
            if (c == '\\') c = '/';
        }
        while (key.size() > 1 && key.back() == '/' && key[key.size() - 2] != ':') key.pop_back();
        return key;
    }
    uint32_t getLastError() override { return GetLastError(); }
};

}  // namespace

Files& systemFiles() {
    static Win32Files instance;
    return instance;
}

}  // namespace platform
