#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "manifest/layouts.h"

namespace manifest {

// The update as loaded from Updateinf.dat; never changed after loading.
struct UpdateManifest {
    UpdateHeader header{};
    std::unique_ptr<ManifestEntry[]> entries;
};

// The installation's record, loaded from Uninstallinf.dat with spare room for one record per
// update entry, so that the engine appends without ever reallocating. The counters of the
// header are trusted as loaded and changed step by step by the list operations.
struct UninstallManifest {
    UninstallHeader header{};
    std::unique_ptr<ManifestEntry[]> entries;
    uint64_t capacity = 0;

    // The first in-use entry whose name matches under ASCII case folding, or entryCount.
    uint32_t findEntry(const char* name) const;
    // A copy of the update entry at index entryCount: name up to its terminator, size, extra.
    void appendEntry(const ManifestEntry& updateEntry);
    // A matched file entry takes the update's size and extra; totalBytes follows (mod 2^64).
    void updateEntry(uint32_t index, const ManifestEntry& updateEntry);
    // A matched file entry goes; later entries move down; the update's size leaves totalBytes.
    void removeEntry(uint32_t index, const ManifestEntry& updateEntry);
};

enum class LoadResult {
    Loaded,
    CannotOpen,
    // The file is not a manifest the updater can work from: a size that is not header plus
    // entries, an unterminated or empty text, a name that leaves its folder, or an entry
    // array that cannot be allocated. Nothing was kept.
    Refused,
};

LoadResult loadUpdateManifest(const std::string& path, UpdateManifest& manifest);
LoadResult loadUninstallManifest(const std::string& path, uint32_t updateEntryCount, UninstallManifest& manifest);

// Writes the header and the in-use entries as they stand, replacing the file at path whole
// or not at all. A read-only or locked file, or any step that fails, leaves the old file as it
// was, and nothing reports it.
void saveUninstallManifest(const std::string& path, const UninstallManifest& manifest);

// Manifest names match byte-wise with only A-Z folded onto a-z: no locale, no multibyte
// awareness, so a trail byte in that range is folded too.
bool namesMatch(const char* a, const char* b);
// The name as matching sees it: two names match exactly when their folded forms are equal.
std::string foldedName(const char* name);

}  // namespace manifest
