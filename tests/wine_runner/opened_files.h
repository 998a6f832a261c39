#pragma once

#include <map>
#include <string>

#include "tests/wine_runner/disk_listing.h"

// Which file of a folder a name or a path leads to, as the system decides it: the name is
// opened as the product opens it, and the file found is told by its identity among the files
// of the folder's listing. No rule of names is involved, the product's least of all.
namespace wine_runner {

class OpenedFiles {
public:
    // The folder (code page 932, ending in a backslash) and its listing as it stands.
    OpenedFiles(std::string folder, const DiskListing& listing);

    // The listed name (as keyOfListedName gives it) of the file or folder that `name` (code
    // page 932, relative to the folder) opens now; where it opens none of them, the name
    // itself behind "<no listed file>": '<' is in no name a folder of Windows can hold.
    std::string keyOf(const std::string& name) const;

    // Where a path (code page 932, whole) lies: the folder's path and the listed name of the
    // nearest of the path and the folders above it that the system opens, with the rest of
    // the path's names behind as written, '/' between names. A path lies in a folder exactly
    // when its key is the folder's key, a '/' and more. One that reaches neither the folder
    // nor anything listed keys behind "<outside>".
    std::string keyOfPath(const std::string& path) const;

private:
    std::string folder_;
    std::string folderKey_;
    std::map<FileIdentity, std::string> listed_;
};

// A listed name as the trees' key: its UTF-8.
std::string keyOfListedName(const std::wstring& name);

}  // namespace wine_runner
