#include <cstring>
#include <limits>
#include <new>

#include "manifest/manifest_problems.h"
#include "manifest/manifests.h"
#include "manifest/whole_transfers.h"
#include "support/file.h"

namespace manifest {
namespace {

// Null when the array cannot be had; the caller refuses the manifest instead of failing later.
// Left unfilled: reading fills the entries, and appending fills a spare slot whole, so zeroing
// would only cost a pass over the record.
std::unique_ptr<ManifestEntry[]> allocateEntries(uint64_t count) {
    if (count > std::numeric_limits<size_t>::max() / sizeof(ManifestEntry)) return nullptr;
    return std::unique_ptr<ManifestEntry[]>(new (std::nothrow) ManifestEntry[static_cast<size_t>(count)]);
}

}  // namespace

LoadResult loadUpdateManifest(const std::string& path, UpdateManifest& manifest) {
    support::CFile file;
    if (!file.open(path, support::FileOpenMode::Read)) return LoadResult::CannotOpen;

    UpdateHeader header{};
    if (!readAll(file, &header, sizeof header)) return LoadResult::Refused;
    if (!findUpdateSizeProblems(header, file.size()).empty() || !findUpdateHeaderProblems(header).empty()) {
        return LoadResult::Refused;
    }
    std::unique_ptr<ManifestEntry[]> entries = allocateEntries(header.entryCount);
    if (!entries) return LoadResult::Refused;
    if (!readAll(file, entries.get(), static_cast<uint64_t>(header.entryCount) * sizeof(ManifestEntry))) return LoadResult::Refused;
    if (!findUpdateEntryProblems(entries.get(), header.entryCount).empty()) return LoadResult::Refused;

    file.close();
    manifest.header = header;
    manifest.entries = std::move(entries);
    return LoadResult::Loaded;
}

LoadResult loadUninstallManifest(const std::string& path, uint32_t updateEntryCount, UninstallManifest& manifest) {
    support::CFile file;
    if (!file.open(path, support::FileOpenMode::Read)) return LoadResult::CannotOpen;

    UninstallHeader header{};
    if (!readAll(file, &header, sizeof header)) return LoadResult::Refused;
    if (!findUninstallSizeProblems(header, file.size()).empty() || !findUninstallHeaderProblems(header).empty()) {
        return LoadResult::Refused;
    }
    uint64_t capacity = static_cast<uint64_t>(updateEntryCount) + header.entryCount;
    std::unique_ptr<ManifestEntry[]> entries = allocateEntries(capacity);
    if (!entries) return LoadResult::Refused;
    if (!readAll(file, entries.get(), static_cast<uint64_t>(header.entryCount) * sizeof(ManifestEntry))) return LoadResult::Refused;
    if (!findUninstallEntryProblems(entries.get(), header.entryCount).empty()) return LoadResult::Refused;

    file.close();
    manifest.assign(header, std::move(entries), capacity);
    return LoadResult::Loaded;
}

}  // namespace manifest
