#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "manifest/entry_name_index.h"
#include "manifest/layouts.h"
#include "manifest/removed_slots.h"

namespace manifest {

// The update as loaded from Updateinf.dat; never changed after loading.
struct UpdateManifest {
    UpdateHeader header{};
    std::unique_ptr<ManifestEntry[]> entries;
};

// The installation's record, loaded from Uninstallinf.dat with spare room for one record per
// update entry, so that the engine appends without ever reallocating. The counters of the
// header are trusted as loaded and changed step by step by the list operations.
//
// The list operations keep every result they are defined by: findEntry gives the first match
// from index 0, a removal moves every later entry down one place. They cost the same whatever
// the size of the record: names are found through an index, and removed slots are closed up
// all together, before the entries are next read.
class UninstallManifest {
public:
    // entryCount, fileCount and totalBytes are exact at every step and belong to assign and the
    // list operations; the run changes the other fields directly.
    UninstallHeader header{};

    // Takes a record: its header, and room for capacity entries whose first header.entryCount
    // hold its entries. Slots beyond them need not be initialised.
    void assign(const UninstallHeader& recordHeader, std::unique_ptr<ManifestEntry[]> slots, uint64_t capacity);

    uint64_t capacity() const { return capacity_; }
    // The header.entryCount entries in use, in order: the record as it is saved.
    const ManifestEntry* entries() const;

    // The first in-use entry whose name matches under ASCII case folding, or entryCount.
    uint32_t findEntry(const char* name) const;
    // A copy of the update entry at index entryCount: name up to its terminator, size, extra;
    // every other byte of the new record is zero.
    void appendEntry(const ManifestEntry& updateEntry);
    // A matched file entry takes the update's size and extra; totalBytes follows (mod 2^64).
    void updateEntry(uint32_t index, const ManifestEntry& updateEntry);
    // A matched file entry goes; later entries move down; the update's size leaves totalBytes.
    void removeEntry(uint32_t index, const ManifestEntry& updateEntry);

private:
    uint32_t slotOf(uint32_t index) const { return removed_.slotOf(index); }
    // Moves the in-use records down over the removed ones, in ascending order, as whole
    // records: what removing each at once would have left. Changes no result, so readers that
    // only look may call it.
    void closeUpRemovedSlots() const;

    std::unique_ptr<ManifestEntry[]> slots_;
    uint64_t capacity_ = 0;
    // Slots filled so far: the entries in use and the removed slots not yet closed up.
    mutable uint32_t usedSlots_ = 0;
    mutable RemovedSlots removed_;
    // Built by the first findEntry, kept in step by the list operations after it.
    mutable EntryNameIndex index_;
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

}  // namespace manifest
