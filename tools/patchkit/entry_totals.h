#pragma once

#include <cstddef>
#include <cstdint>

#include "manifest/layouts.h"

namespace patchkit {

// What a record's fileCount and totalBytes say when they agree with its entries: the file
// entries counted and their sizes summed; directory entries count for neither.
struct EntryTotals {
    uint32_t files = 0;
    uint64_t bytes = 0;
};

EntryTotals totalsOf(const manifest::ManifestEntry* entries, size_t count);

}  // namespace patchkit
