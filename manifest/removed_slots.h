#pragma once

#include <cstdint>
#include <vector>

namespace manifest {

// Slots of the installation's record that a removal took out of use but that have not been
// closed up yet. Closing up at once moves the whole tail of the record for every removal, which
// makes a removal run quadratic in the size of the installation; the record closes them all up
// in one pass instead, before anything reads its array. Meanwhile every later slot's index is
// its slot less the removed slots before it, counted by a Fenwick tree in log n steps.
class RemovedSlots {
public:
    bool empty() const { return count_ == 0; }
    bool contains(uint32_t slot) const { return !flags_.empty() && flags_[slot] != 0; }

    // slot < capacity, the record's room, which stays the same until clear.
    void add(uint32_t slot, uint64_t capacity);
    // After the record has closed up its slots.
    void clear();

    // The index of a slot among the slots in use: how many in-use slots come before it.
    uint32_t indexOf(uint32_t slot) const;
    // The slot of the in-use entry at index; index < the number of slots in use.
    uint32_t slotOf(uint32_t index) const;

private:
    std::vector<uint32_t> tree_;  // tree_[k] counts removed slots in (k - lowbit(k), k], 1-based
    std::vector<uint8_t> flags_;
    uint32_t count_ = 0;
};

}  // namespace manifest
