#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/overlay/files_overlay.h"

// What a folder of the real disk holds, read through the system and nothing of the product:
// FindFirstFileW's names as the disk stores them (a Linux folder under Wine can hold a.txt
// and A.txt), each file's bytes read by that exact name.
namespace wine_runner {

// Which file it is, whatever its name: the file index (NtQueryInformationFile's
// FileInternalInformation; under Wine the inode). GetFileInformationByHandle gives it with the
// volume's serial number, at several milliseconds a call under Wine; every file compared lies
// on the case's one drive.
using FileIdentity = uint64_t;

// The identity of the file or folder that a path (code page 932) opens: CreateFileA, as the
// product opens it, with access 0 (the attributes only) and backup semantics, which open a
// folder too. False where it opens nothing.
bool identityOfOpened(const std::string& path, FileIdentity& identity);

struct DiskItem {
    bool folder = false;
    bool readOnly = false;
    std::string content;
    FileIdentity identity{};
};

// Everything below a folder (the folder ends in a backslash), by relative name ('\' between
// names) compared exactly; empty where nothing is there. Without contents, names and
// attributes only.
enum class Contents { Read, Skipped };
using DiskListing = std::map<std::wstring, DiskItem>;
DiskListing listDisk(const std::wstring& folder, Contents contents = Contents::Read);

// The part of a listing below one of its folders (a relative name ending in a backslash), by
// names relative to that folder.
DiskListing below(const DiskListing& listing, const std::wstring& folder);

// What changed between two listings of one folder (`folder` in code page 932), as changes at
// exact names: a file moved shows as one name gone and another come.
std::vector<overlay::Change> changesBetween(const DiskListing& before, const DiskListing& after, const std::string& folder);

// Deletes everything below the folder, read-only files included, but the folders `kept`
// (relative names, each with the folders above it), and the folder itself where none is kept.
// Under Wine a folder removed costs milliseconds, a file a fraction of one.
void removeDiskTree(const std::wstring& folder, const std::set<std::wstring>& kept = {});

}  // namespace wine_runner
