#pragma once

#include <cstdint>
#include <vector>

#include "manifest/layouts.h"

namespace manifest {

class RemovedSlots;

// Where each name stands first among the slots in use of the installation's record, so that
// finding a name costs the same whatever the size of the installation: scanning from index 0
// for every update entry makes an update quadratic. Names that match one another share a
// chain of their slots in ascending order, whose head is the first slot still in use: the
// one the scan would find. The index reads the names in place, so the record drops it before
// it moves any slot.
class EntryNameIndex {
public:
    static constexpr uint32_t kNoSlot = UINT32_MAX;

    bool built() const { return slots_ != nullptr; }
    // Indexes the in-use slots among the first usedSlots of an array with room for capacity.
    void build(const ManifestEntry* slots, uint32_t usedSlots, uint64_t capacity, const RemovedSlots& removed);
    void clear();

    // The first in-use slot whose name matches, or kNoSlot.
    uint32_t firstSlot(const char* name) const;
    // A slot just filled after every other slot.
    void appended(uint32_t slot);
    // A slot just taken out of use; when it was its name's first, the next in-use one takes
    // its place.
    void removed(uint32_t slot, const RemovedSlots& removed);

private:
    struct Bucket {
        uint32_t hash;
        uint32_t nameSlot;  // any slot that holds the name, in use or not; kNoSlot: empty bucket
        uint32_t head;      // kNoSlot once no slot of the name is in use
        uint32_t tail;
    };

    Bucket& bucketOf(const char* name, uint32_t hash);
    const Bucket& bucketOf(const char* name, uint32_t hash) const;

    const ManifestEntry* slots_ = nullptr;
    std::vector<Bucket> buckets_;  // open addressing, linear probing, a power of two long
    std::vector<uint32_t> next_;   // the next slot of the same chain, per slot
};

}  // namespace manifest
