#include <windows.h>
#include <winternl.h>

#include "platform/win32/wide_text.h"
#include "tests/wine_runner/disk_listing.h"

namespace wine_runner {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool identityOfHandle(HANDLE file, FileIdentity& identity) {
    IO_STATUS_BLOCK status;
    FILE_INTERNAL_INFORMATION information;
    if (NtQueryInformationFile(file, &status, &information, sizeof information, FileInternalInformation) != 0) return false;
    identity = static_cast<FileIdentity>(information.IndexNumber.QuadPart);
    return true;
}

void readInto(const std::wstring& path, DiskItem& item) {
    // The exact name: where a.txt and A.txt are both there, Wine takes the exact match first.
    HANDLE file = CreateFileW(path.c_str(), item.folder ? 0 : GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    identityOfHandle(file, item.identity);
    char buffer[65536];
    DWORD got = 0;
    while (!item.folder && ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) item.content.append(buffer, got);
    CloseHandle(file);
}

void listInto(const std::wstring& folder, const std::wstring& prefix, Contents contents, DiskListing& listing) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + prefix + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = prefix + found.cFileName;
        if (name == prefix + L"." || name == prefix + L"..") continue;
        DiskItem& item = listing[name];
        item.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        item.readOnly = (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        if (contents == Contents::Read) readInto(folder + name, item);
        if (item.folder) listInto(folder, name + L"\\", contents, listing);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::string pathIn(const std::string& folder, const std::wstring& name) {
    std::string narrow = platform::win32::narrowOf(name, CP_ACP);
    return folder + (narrow.empty() ? "?" : narrow);
}

}  // namespace

bool identityOfOpened(const std::string& path, FileIdentity& identity) {
    HANDLE file = CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool known = identityOfHandle(file, identity);
    CloseHandle(file);
    return known;
}

DiskListing listDisk(const std::wstring& folder, Contents contents) {
    DiskListing listing;
    listInto(folder, L"", contents, listing);
    return listing;
}

DiskListing below(const DiskListing& listing, const std::wstring& folder) {
    DiskListing part;
    for (auto it = listing.lower_bound(folder); it != listing.end() && it->first.compare(0, folder.size(), folder) == 0; ++it) {
        part.emplace(it->first.substr(folder.size()), it->second);
    }
    return part;
}

std::vector<overlay::Change> changesBetween(const DiskListing& before, const DiskListing& after, const std::string& folder) {
    std::vector<overlay::Change> changes;
    auto change = [&](overlay::Change::Kind kind, const std::wstring& name) {
        overlay::Change made;
        made.kind = kind;
        made.path = pathIn(folder, name);
        changes.push_back(made);
    };
    for (const auto& [name, item] : before) {
        if (!after.count(name)) change(item.folder ? overlay::Change::FolderRemoved : overlay::Change::FileDeleted, name);
    }
    for (const auto& [name, item] : after) {
        auto old = before.find(name);
        if (old == before.end()) {
            change(item.folder ? overlay::Change::FolderMade : overlay::Change::FileCreated, name);
        } else if (old->second.folder != item.folder || old->second.content != item.content) {
            change(overlay::Change::FileWritten, name);
        } else if (old->second.readOnly != item.readOnly) {
            change(overlay::Change::AttributesChanged, name);
        }
    }
    return changes;
}

void removeDiskTree(const std::wstring& folder, const std::set<std::wstring>& kept) {
    DiskListing listing = listDisk(folder, Contents::Skipped);
    // Deepest first: a folder's name sorts before the names it holds.
    for (auto it = listing.rbegin(); it != listing.rend(); ++it) {
        if (it->second.folder && kept.count(it->first)) continue;
        std::wstring path = folder + it->first;
        if (it->second.readOnly) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (it->second.folder) {
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    }
    if (kept.empty()) RemoveDirectoryW(folder.c_str());
}

}  // namespace wine_runner
