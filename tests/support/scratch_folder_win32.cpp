#include <windows.h>

#include <stdexcept>
#include <string>

#include "tests/support/scratch_folder.h"

namespace testing_support {
namespace {

void removeTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path + "\\");
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

ScratchFolder::ScratchFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    for (unsigned attempt = GetTickCount();; ++attempt) {
        std::string candidate = std::string(temp) + "updater-test-" + std::to_string(attempt) + "\\";
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            host_ = candidate;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("no temporary folder");
    }
}

ScratchFolder::~ScratchFolder() { removeTree(path_); }

void ScratchFolder::writeBytes(const std::string& name, const std::string& bytes) const {
    HANDLE file = CreateFileA((path_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ScratchFolder::readBytes(const std::string& name) const {
    HANDLE file = CreateFileA((path_ + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool ScratchFolder::exists(const std::string& name) const {
    return GetFileAttributesA((path_ + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ScratchFolder::makeReadOnly(const std::string& name) const {
    SetFileAttributesA((path_ + name).c_str(), FILE_ATTRIBUTE_READONLY);
}

void ScratchFolder::makeFolder(const std::string& name) const { CreateDirectoryA((path_ + name).c_str(), nullptr); }

}  // namespace testing_support
