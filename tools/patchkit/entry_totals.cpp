#include "tools/patchkit/entry_totals.h"

namespace patchkit {

EntryTotals totalsOf(const manifest::ManifestEntry* entries, size_t count) {
    EntryTotals totals;
    for (size_t i = 0; i < count; ++i) {
        if (manifest::isDirectoryEntry(entries[i])) continue;
        totals.files += 1;
        totals.bytes += entries[i].size;
    }
    return totals;
}

}  // namespace patchkit
