#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "manifest/layouts.h"

// What makes a manifest unusable, found before any of it is used. The loaders refuse a file
// with any problem; the vendors' tool reports them all.
namespace manifest {

struct ManifestProblem {
    std::string field;   // "UpdateHeader.title", "entry 3 name", "file size"
    std::string reason;  // English, for the tool's report
};

// The file's length must be exactly the header and entryCount records; checked before any
// allocation, so a huge count asks for nothing.
std::vector<ManifestProblem> findUpdateSizeProblems(const UpdateHeader& header, uint64_t fileSize);
std::vector<ManifestProblem> findUninstallSizeProblems(const UninstallHeader& header, uint64_t fileSize);

// Texts the updater interprets must end within their width.
std::vector<ManifestProblem> findUpdateHeaderProblems(const UpdateHeader& header);
std::vector<ManifestProblem> findUninstallHeaderProblems(const UninstallHeader& header);

// Every name must be terminated and not empty; an update entry's name must also stay inside
// the installation and the data folder and be read as itself (manifest/name_rule.h), and name
// neither the record nor one of its temporaries (manifest/package_names.h).
std::vector<ManifestProblem> findUpdateEntryProblems(const ManifestEntry* entries, uint32_t count);
std::vector<ManifestProblem> findUninstallEntryProblems(const ManifestEntry* entries, uint32_t count);

// Why a name relative to the installation is where the record's save writes, or empty.
std::string recordNameProblem(const std::string& name);

}  // namespace manifest
