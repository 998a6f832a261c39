#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "manifest/manifest_problems.h"
#include "manifest/manifests.h"
#include "support/file.h"

namespace manifest {
namespace {

// CFile moves at most a 32-bit count per call; larger arrays go in pieces.
constexpr uint32_t kLargestTransfer = 0x40000000;

bool readAll(support::CFile& file, void* destination, uint64_t count) {
    auto* bytes = static_cast<uint8_t*>(destination);
    while (count > 0) {
        uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(count, kLargestTransfer));
        if (file.read(bytes, piece) != piece) return false;
        bytes += piece;
        count -= piece;
    }
    return true;
}

void writeAll(support::CFile& file, const void* source, uint64_t count) {
    auto* bytes = static_cast<const uint8_t*>(source);
    while (count > 0) {
        uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(count, kLargestTransfer));
        if (file.write(bytes, piece) != piece) return;
        bytes += piece;
        count -= piece;
    }
}

// Zero-filled records, so that what appending does not copy is zero in the saved file. Null
// when the array cannot be had; the caller refuses the manifest instead of failing later.
std::unique_ptr<ManifestEntry[]> allocateEntries(uint64_t count) {
    if (count > std::numeric_limits<size_t>::max() / sizeof(ManifestEntry)) return nullptr;
    return std::unique_ptr<ManifestEntry[]>(new (std::nothrow) ManifestEntry[static_cast<size_t>(count)]());
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
    manifest.header = header;
    manifest.entries = std::move(entries);
    manifest.capacity = capacity;
    return LoadResult::Loaded;
}

void saveUninstallManifest(const std::string& path, const UninstallManifest& manifest) {
    support::CFile file;
    file.open(path, support::FileOpenMode::Write);
    writeAll(file, &manifest.header, sizeof manifest.header);
    writeAll(file, manifest.entries.get(), static_cast<uint64_t>(manifest.header.entryCount) * sizeof(ManifestEntry));
    file.close();
}

}  // namespace manifest
