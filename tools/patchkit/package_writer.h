#pragma once

#include <cstdint>
#include <string>

#include "tools/patchkit/findings.h"
#include "tools/patchkit/progress.h"

namespace patchkit {

struct MakeRequest {
    std::string descriptionPath;  // all paths UTF-8
    std::string newTree;
    std::string outDir;
    std::string sinceTree;    // empty: every file of the new tree goes in
    std::string updaterPath;  // empty: the Update.exe beside patchkit, when there is one
    // With sinceTree: where the package that deletes the old files the new tree lacks goes;
    // empty for none.
    std::string removalPackageDir;
};

struct MakeSummary {
    uint32_t directories = 0;
    uint32_t files = 0;
    uint64_t bytes = 0;
    // Files of the old tree that the new one lacks, and whether their removal package was written.
    uint32_t removedFiles = 0;
    uint64_t removedBytes = 0;
    bool removalWritten = false;
    // No updater was named, and the one beside patchkit went in.
    bool updaterBesideProgram = false;
};

// Writes outDir/Updateinf.dat and outDir/data/ and the updater beside them. The manifest is
// written last, so a make that fails halfway leaves no package that looks finished. Then the
// removal package, when asked, with the updater beside it too.
bool makePackage(const MakeRequest& request, Findings& findings, Progress& progress, MakeSummary& summary);

}  // namespace patchkit
