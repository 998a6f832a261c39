#pragma once

#include <string>
#include <vector>

// How the file system tells that two spellings name one file, for a tool that keeps its own
// view of files (patchkit's dry run; the updater itself never needs it). Each path becomes a
// key, absolute and normalised as the system resolves paths. The POSIX host compares names
// byte for byte; Windows ignores letter case, so there the key is upper-cased. Keys are UTF-8
// with '/' between components, so that a 0x5C trail byte is never taken for a separator.
namespace platform {

struct PathKey {
    std::string key;
    // The path ended in a separator, so it can name a folder only.
    bool trailingSeparator = false;
};

// False when the path can name nothing: empty, or bytes the code page does not hold. On
// Windows: GetFullPathNameW of the path in UTF-16, then CharUpperBuffW; natively the host
// path with "." and ".." resolved by their text.
bool pathKeyOf(const std::string& productPath, PathKey& key);

// The folder that holds the key's file or folder; empty for a root.
std::string parentKeyOf(const std::string& key);

// A product path (ANSI code page) that the system resolves to the key.
std::string productPathOfKey(const std::string& key);

struct RealChild {
    std::string key;
    // The name in the ANSI code page; empty when the code page cannot hold it (the child
    // still exists, so its folder is not empty).
    std::string leaf;
};

// What a folder on disk holds; false when it cannot be listed. On Windows: FindFirstFileW of
// "folder\*", FindNextFileW, FindClose; natively opendir and readdir.
bool listRealFolder(const std::string& folderKey, std::vector<RealChild>& children);

}  // namespace platform
