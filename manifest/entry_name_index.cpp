#include "manifest/entry_name_index.h"

#include "manifest/manifests.h"
#include "manifest/removed_slots.h"
#include "platform/text.h"

namespace manifest {
namespace {

// FNV-1a over the folded bytes: names that match hash alike. No further than a name field
// reaches: names that match agree there too, and a name that fills its field has no
// terminator in it.
uint32_t hashOf(const char* name) {
    uint64_t hash = 0xcbf29ce484222325u;
    for (size_t i = 0; i < kNameWidth && name[i] != '\0'; ++i) {
        hash = (hash ^ static_cast<unsigned char>(platform::foldAsciiCase(name[i]))) * 0x100000001b3u;
    }
    return static_cast<uint32_t>(hash ^ (hash >> 32));
}

}  // namespace

void EntryNameIndex::build(const ManifestEntry* slots, uint32_t usedSlots, uint64_t capacity, const RemovedSlots& removed) {
    // Never more names than slots: at most three buckets in four are ever taken, so the
    // table is never grown.
    size_t length = 16;
    while (length < capacity + capacity / 3) length *= 2;
    slots_ = slots;
    buckets_.assign(length, Bucket{0, kNoSlot, kNoSlot, kNoSlot});
    next_.assign(static_cast<size_t>(capacity), kNoSlot);
    for (uint32_t slot = 0; slot < usedSlots; ++slot) {
        if (!removed.contains(slot)) appended(slot);
    }
}

void EntryNameIndex::clear() {
    slots_ = nullptr;
    buckets_.clear();
    next_.clear();
}

const EntryNameIndex::Bucket& EntryNameIndex::bucketOf(const char* name, uint32_t hash) const {
    size_t mask = buckets_.size() - 1;
    for (size_t k = hash & mask;; k = (k + 1) & mask) {
        const Bucket& bucket = buckets_[k];
        if (bucket.nameSlot == kNoSlot) return bucket;
        if (bucket.hash == hash && namesMatch(slots_[bucket.nameSlot].name, name)) return bucket;
    }
}

EntryNameIndex::Bucket& EntryNameIndex::bucketOf(const char* name, uint32_t hash) {
    return const_cast<Bucket&>(static_cast<const EntryNameIndex*>(this)->bucketOf(name, hash));
}

uint32_t EntryNameIndex::firstSlot(const char* name) const { return bucketOf(name, hashOf(name)).head; }

void EntryNameIndex::appended(uint32_t slot) {
    const char* name = slots_[slot].name;
    uint32_t hash = hashOf(name);
    Bucket& bucket = bucketOf(name, hash);
    if (bucket.nameSlot == kNoSlot) bucket = Bucket{hash, slot, kNoSlot, kNoSlot};
    if (bucket.head == kNoSlot) {
        bucket.head = slot;
    } else {
        next_[bucket.tail] = slot;
    }
    bucket.tail = slot;
}

void EntryNameIndex::removed(uint32_t slot, const RemovedSlots& removed) {
    const char* name = slots_[slot].name;
    Bucket& bucket = bucketOf(name, hashOf(name));
    if (bucket.head != slot) return;  // a later duplicate: the head still comes first
    // Slots removed behind the head were left in the chain; each is passed over once.
    uint32_t head = next_[slot];
    while (head != kNoSlot && removed.contains(head)) head = next_[head];
    bucket.head = head;
}

}  // namespace manifest
