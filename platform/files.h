#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_errors.h"

namespace platform {

// A system file handle. `kInvalidFileHandle` is what a failed `createFile` returns, as
// INVALID_HANDLE_VALUE is for CreateFileA.
using FileHandle = void*;
inline FileHandle const kInvalidFileHandle = reinterpret_cast<FileHandle>(static_cast<intptr_t>(-1));

// Win32 values, kept so that callers pass what the system would be passed.
inline constexpr uint32_t kGenericRead = 0x80000000u;
inline constexpr uint32_t kGenericWrite = 0x40000000u;
inline constexpr uint32_t kFileShareRead = 0x1;
inline constexpr uint32_t kFileShareWrite = 0x2;
inline constexpr uint32_t kFileShareDelete = 0x4;
inline constexpr uint32_t kCreateNew = 1;
inline constexpr uint32_t kCreateAlways = 2;
inline constexpr uint32_t kOpenExisting = 3;
inline constexpr uint32_t kOpenAlways = 4;
inline constexpr uint32_t kInvalidFileSize = 0xFFFFFFFFu;
inline constexpr uint32_t kFileBegin = 0;
inline constexpr uint32_t kFileCurrent = 1;

// GetFileAttributesA's answers, and what SetFileAttributesA takes.
inline constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
inline constexpr uint32_t kFileAttributeReadOnly = 0x1;
inline constexpr uint32_t kFileAttributeDirectory = 0x10;
inline constexpr uint32_t kFileAttributeNormal = 0x80;
// What SetFileAttributesA takes: read-only, hidden, system, archive, normal, temporary,
// offline and not-content-indexed. GetFileAttributesA reports more (compressed, encrypted...).
inline constexpr uint32_t kSettableFileAttributes = 0x31A7;

// MAX_PATH: Windows' narrow file calls take a path of at most this many bytes, terminator
// included, and CreateDirectoryA one 12 shorter, which leaves room for an 8.3 name below the
// folder. Longer ones fail with kErrorFilenameExcedRange.
inline constexpr size_t kMaxPath = 260;
inline constexpr size_t kLongestFolderPath = kMaxPath - 12 - 1;

// Which file an open handle is on, as GetFileInformationByHandle tells it: the volume's serial
// number and the file's index on that volume. Two handles have one identity exactly when they
// are open on one file, whichever names opened them: a twin of a name, an 8.3 name, a hard
// link, or a name the code page turned into another. A file keeps its identity when it is
// moved within its volume.
struct FileIdentity {
    uint64_t volume = 0;
    uint64_t index = 0;
    bool operator==(const FileIdentity& other) const { return volume == other.volume && index == other.index; }
    bool operator<(const FileIdentity& other) const { return volume != other.volume ? volume < other.volume : index < other.index; }
};

class Files {
public:
    virtual ~Files() = default;

    // CreateFileA(path, access, share, no security attributes, disposition,
    // FILE_ATTRIBUTE_NORMAL, no template). A directory cannot be opened; a read-only file
    // cannot be opened for writing; an open that the sharing of another open handle on the
    // same file forbids fails. kCreateNew fails with kErrorFileExists wherever the name is
    // taken, by a file or a folder, and so never opens what is there. Access 0 asks only to
    // learn which file it is, and joins any handle that the sharing asked allows.
    virtual FileHandle createFile(const char* path, uint32_t access, uint32_t share, uint32_t disposition) = 0;

    // ReadFile / WriteFile: false when the call fails; otherwise *transferred holds the bytes
    // moved, which may be fewer than asked (end of file, or a disk that filled up midway).
    virtual bool readFile(FileHandle file, void* buffer, uint32_t count, uint32_t* transferred) = 0;
    virtual bool writeFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* transferred) = 0;

    // GetFileSize: the low 32 bits of the size; the high 32 bits through *high when given.
    // kInvalidFileSize on a failure, and also for a size whose low word it is: then the last
    // error is kErrorSuccess.
    virtual uint32_t getFileSize(FileHandle file, uint32_t* high) = 0;

    // SetFilePointer: moves by the 64-bit distance (*distanceHigh:distanceLow, or distanceLow
    // sign-extended when distanceHigh is null) from `method`'s origin; returns the new
    // position's low word and stores its high word in *distanceHigh.
    virtual uint32_t setFilePointer(FileHandle file, int32_t distanceLow, int32_t* distanceHigh, uint32_t method) = 0;

    virtual bool closeHandle(FileHandle file) = 0;

    // GetFileInformationByHandle, of which the product keeps the file's identity alone.
    virtual bool getFileInformationByHandle(FileHandle file, FileIdentity* identity) = 0;

    // FlushFileBuffers: what was written through the handle is on the disk when it returns
    // true. Fails for a handle without write access.
    virtual bool flushFileBuffers(FileHandle file) = 0;

    // GetFileAttributesA: the attribute bits, or kInvalidFileAttributes when the path names
    // nothing. A folder reports kFileAttributeDirectory.
    virtual uint32_t getFileAttributes(const char* path) = 0;

    // SetFileAttributesA. kFileAttributeNormal clears read-only, hidden and system.
    virtual bool setFileAttributes(const char* path, uint32_t attributes) = 0;

    // MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING): a file of the name `to` is replaced.
    // Fails when `from` is missing or when either file is held open by a handle that does
    // not share deletion (no handle of the product does). Onto a read-only `to` Windows
    // refuses and Wine succeeds: callers clear the attribute first and rely on neither. A
    // folder `from` is renamed, with everything in it, where `to` names nothing (on one
    // volume); onto a folder it fails, and onto a file on Windows (Wine replaces the file).
    virtual bool moveFileReplace(const char* from, const char* to) = 0;

    // DeleteFileA: fails for a missing or read-only file, a folder, or a file held open.
    virtual bool deleteFile(const char* path) = 0;

    // CreateDirectoryA(path, no security attributes): fails when anything of that name
    // exists or the parent is missing. Windows makes no folder whose path takes more than
    // kLongestFolderPath bytes (room for an 8.3 name below it); Wine does.
    virtual bool createDirectory(const char* path) = 0;

    // RemoveDirectoryA: only an empty folder goes.
    virtual bool removeDirectory(const char* path) = 0;

    // FindFirstFileA(folder + "*"), the folder ending in a separator, FindNextFileA until it
    // fails, FindClose: the names of what the folder holds ("." and ".." left out), false
    // where it cannot be listed. Under Wine a Linux folder may hold a.txt beside A.txt, two
    // entries for one name: the look-up of either name opens the exact one while it is
    // there, and the other once it is gone.
    virtual bool listFolder(const char* folder, std::vector<std::string>& names) = 0;

    // Whether two paths name one file is the file system's question: the key of a path,
    // equal for two paths exactly when the system opens one file for both. On Windows
    // GetFullPathNameW of the path in UTF-16 as the narrow calls read it (a byte pair that is
    // no character of the code page is its default character; separators, "." and "..", the
    // dots and blanks that end a name and a device's name resolved as every call resolves
    // them), then upper-cased by the system's own table (CharUpperBuffW), as NTFS compares
    // names. Natively the host path with "." and ".." resolved, compared byte for byte as the
    // host does. Empty when the path can name nothing (natively, bytes the code page does not
    // hold).
    virtual std::string fileKeyOf(const char* path) = 0;

    // GetLastError: why the last call of this service that failed on the calling thread
    // failed. Asked right after the failed call, before anything else can overwrite it.
    virtual uint32_t getLastError() = 0;

    static Files* replace(Files* replacement);
};

// The service in force: the build's own, or a test's replacement.
Files& files();

}  // namespace platform
