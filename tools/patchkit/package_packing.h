#pragma once

#include <cstdint>
#include <string>

#include "tools/patchkit/findings.h"
#include "tools/patchkit/progress.h"

namespace patchkit {

struct PackRequest {
    std::string packageDir;   // UTF-8
    std::string archivePath;  // UTF-8; a file there is replaced
    bool removal = false;     // the package is for Update.exe -u, and is checked as one
};

struct PackSummary {
    size_t members = 0;
    uint64_t bytes = 0;         // the files' own sizes
    uint64_t archiveBytes = 0;  // the zip's
};

// The download of a package: the package is checked first and packed only when check finds no
// error; its warnings and notes come along in `findings`.
bool packPackage(const PackRequest& request, Findings& findings, Progress& progress, PackSummary& summary);

// Every file and folder of the package folder into the zip, unchecked: the programs beside the
// manifest (Update.exe) first, then the rest in the order of their names' bytes in code page
// 932, which puts each folder before what it holds, as patchkit make orders a manifest. Names
// are stored as the built-in extractor of a Japanese Windows reads them (see ZipWriter). The
// zip takes the place of what archivePath held only once it is whole.
bool writePackageArchive(const std::string& packageDirUtf8, const std::string& archivePathUtf8, Findings& findings, Progress& progress,
                         PackSummary& summary);

}  // namespace patchkit
