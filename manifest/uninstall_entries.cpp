#include <cstring>

#include "manifest/manifests.h"
#include "platform/text.h"

namespace manifest {

bool namesMatch(const char* a, const char* b) {
    for (size_t i = 0;; ++i) {
        char x = platform::foldAsciiCase(a[i]);
        char y = platform::foldAsciiCase(b[i]);
        if (x != y) return false;
        if (x == '\0') return true;
    }
}

void UninstallManifest::assign(const UninstallHeader& recordHeader, std::unique_ptr<ManifestEntry[]> slots, uint64_t capacity) {
    header = recordHeader;
    slots_ = std::move(slots);
    capacity_ = capacity;
    usedSlots_ = recordHeader.entryCount;
    removed_.clear();
    index_.clear();
}

const ManifestEntry* UninstallManifest::entries() const {
    closeUpRemovedSlots();
    return slots_.get();
}

void UninstallManifest::closeUpRemovedSlots() const {
    if (removed_.empty()) return;
    uint32_t to = 0;
    for (uint32_t from = 0; from < usedSlots_; ++from) {
        if (removed_.contains(from)) continue;
        if (to != from) slots_[to] = slots_[from];
        ++to;
    }
    usedSlots_ = to;
    removed_.clear();
    index_.clear();
}

uint32_t UninstallManifest::findEntry(const char* name) const {
    if (!index_.built()) index_.build(slots_.get(), usedSlots_, capacity_, removed_);
    uint32_t slot = index_.firstSlot(name);
    return slot == EntryNameIndex::kNoSlot ? header.entryCount : removed_.indexOf(slot);
}

void UninstallManifest::appendEntry(const ManifestEntry& updateEntry) {
    // Room for every update entry is reserved at loading, but a removed slot still holds its
    // place until the record is closed up.
    if (usedSlots_ == capacity_) closeUpRemovedSlots();
    uint32_t slot = usedSlots_++;
    ManifestEntry& record = slots_[slot];
    record = ManifestEntry{};
    // Up to and including the terminator, and never past the field: a name that fills its
    // field without one is copied as it stands rather than with the bytes after it.
    const void* terminator = std::memchr(updateEntry.name, '\0', sizeof record.name);
    size_t count = terminator ? static_cast<const char*>(terminator) - updateEntry.name + 1 : sizeof record.name;
    std::memcpy(record.name, updateEntry.name, count);
    record.size = updateEntry.size;
    record.extra = updateEntry.extra;
    if (!isDirectoryEntry(updateEntry)) {
        header.fileCount += 1;
        header.totalBytes += updateEntry.size;
    }
    header.entryCount += 1;
    if (index_.built()) index_.appended(slot);
}

void UninstallManifest::updateEntry(uint32_t index, const ManifestEntry& updateEntry) {
    ManifestEntry& entry = slots_[slotOf(index)];
    if (isDirectoryEntry(entry)) return;
    // Unsigned arithmetic: wraps modulo 2^64, as the record has always done.
    header.totalBytes = header.totalBytes + updateEntry.size - entry.size;
    entry.size = updateEntry.size;
    entry.extra = updateEntry.extra;
}

void UninstallManifest::removeEntry(uint32_t index, const ManifestEntry& updateEntry) {
    uint32_t slot = slotOf(index);
    if (isDirectoryEntry(slots_[slot])) return;
    removed_.add(slot, capacity_);
    if (index_.built()) index_.removed(slot, removed_);
    header.entryCount -= 1;
    header.fileCount -= 1;
    header.totalBytes -= updateEntry.size;
}

}  // namespace manifest
