#pragma once

#include <map>
#include <string>

#include "tests/wine_runner/disk_listing.h"

// Which file of a folder a name leads to, as the system decides it: the name is opened as the
// product opens it, and the file found is told by its identity among the files of the folder's
// listing. No rule of names is involved, the product's least of all.
namespace wine_runner {

class OpenedFiles {
public:
    // The folder (code page 932, ending in a backslash) and its listing as it stands.
    OpenedFiles(std::string folder, const DiskListing& listing);

    // The listed name (as keyOfListedName gives it) of the file or folder that `name` (code
    // page 932, relative to the folder) opens now; where it opens none of them, the name
    // itself behind a line feed, which no listed name holds.
    std::string keyOf(const std::string& name) const;

private:
    std::string folder_;
    std::map<FileIdentity, std::string> listed_;
};

// A listed name as the trees' key: its UTF-8.
std::string keyOfListedName(const std::wstring& name);

}  // namespace wine_runner
