#include "manifest/removed_slots.h"

#include <cstddef>

namespace manifest {

void RemovedSlots::add(uint32_t slot, uint64_t capacity) {
    if (tree_.empty()) {
        tree_.assign(static_cast<size_t>(capacity) + 1, 0);
        flags_.assign(static_cast<size_t>(capacity), 0);
    }
    flags_[slot] = 1;
    ++count_;
    for (size_t k = static_cast<size_t>(slot) + 1; k < tree_.size(); k += k & (~k + 1)) tree_[k] += 1;
}

void RemovedSlots::clear() {
    tree_.clear();
    flags_.clear();
    count_ = 0;
}

uint32_t RemovedSlots::indexOf(uint32_t slot) const {
    uint32_t removedBefore = 0;
    if (count_ != 0) {
        for (size_t k = slot; k > 0; k -= k & (~k + 1)) removedBefore += tree_[k];
    }
    return slot - removedBefore;
}

uint32_t RemovedSlots::slotOf(uint32_t index) const {
    if (count_ == 0) return index;
    // Descend the tree for the longest prefix of slots that holds at most index in-use ones;
    // the slot right after it is the wanted one. A node at step s covers s slots.
    size_t step = 1;
    while (step * 2 < tree_.size()) step *= 2;
    size_t prefix = 0;
    uint32_t inUseLeft = index;
    for (; step > 0; step /= 2) {
        size_t next = prefix + step;
        if (next >= tree_.size()) continue;
        uint32_t inUse = static_cast<uint32_t>(step) - tree_[next];
        if (inUse <= inUseLeft) {
            prefix = next;
            inUseLeft -= inUse;
        }
    }
    return static_cast<uint32_t>(prefix);
}

}  // namespace manifest
