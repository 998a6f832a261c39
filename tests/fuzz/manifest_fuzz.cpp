// Arbitrary bytes as the two manifests, then the list operations an update and a removal make
// over them. The input is an Updateinf.dat followed by an Uninstallinf.dat: the first part is
// as long as its own header's entryCount makes it, the rest is the record. Whatever the bytes,
// the loaders must either refuse or hand over manifests the engine can work on, and the record
// the engine saves must load again as exactly what was in memory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "manifest/manifests.h"
#include "tests/support/scratch_folder.h"

namespace {

using manifest::LoadResult;
using manifest::ManifestEntry;
using manifest::UninstallManifest;
using manifest::UpdateHeader;
using manifest::UpdateManifest;

void require(bool holds) {
    if (!holds) std::abort();
}

size_t updatePartSize(const std::string& bytes) {
    if (bytes.size() < sizeof(UpdateHeader)) return bytes.size();
    uint32_t count = 0;
    std::memcpy(&count, bytes.data() + offsetof(UpdateHeader, entryCount), sizeof count);
    uint64_t declared = sizeof(UpdateHeader) + static_cast<uint64_t>(count) * sizeof(ManifestEntry);
    return declared < bytes.size() ? static_cast<size_t>(declared) : bytes.size();
}

// Saves the record and loads it back: the header and every in-use entry come back byte for byte.
void requireSavedRecordReloads(const testing_support::ScratchFolder& folder, const UninstallManifest& record) {
    manifest::saveUninstallManifest(folder / "Saved.dat", record);
    UninstallManifest reloaded;
    require(manifest::loadUninstallManifest(folder / "Saved.dat", 0, reloaded) == LoadResult::Loaded);
    require(std::memcmp(&reloaded.header, &record.header, sizeof record.header) == 0);
    require(std::memcmp(reloaded.entries(), record.entries(),
                        static_cast<size_t>(record.header.entryCount) * sizeof(ManifestEntry)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const testing_support::ScratchFolder folder;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    size_t split = updatePartSize(bytes);
    folder.writeBytes("Updateinf.dat", bytes.substr(0, split));
    folder.writeBytes("Uninstallinf.dat", bytes.substr(split));

    UpdateManifest update;
    bool haveUpdate = manifest::loadUpdateManifest(folder / "Updateinf.dat", update) == LoadResult::Loaded;
    uint32_t updateCount = haveUpdate ? update.header.entryCount : 0;
    UninstallManifest record;
    if (manifest::loadUninstallManifest(folder / "Uninstallinf.dat", updateCount, record) != LoadResult::Loaded) return 0;
    require(record.capacity() >= record.header.entryCount + static_cast<uint64_t>(updateCount));

    // An update's upkeep: a matched entry takes the new size, an unmatched one is appended.
    // Each update entry adds at most one record, so the capacity is never passed.
    for (uint32_t i = 0; i < updateCount; ++i) {
        const ManifestEntry& entry = update.entries[i];
        uint32_t match = record.findEntry(entry.name);
        if (match == record.header.entryCount) {
            record.appendEntry(entry);
            require(record.header.entryCount <= record.capacity());
            require(record.findEntry(entry.name) < record.header.entryCount);
        } else {
            require(manifest::namesMatch(record.entries()[match].name, entry.name));
            record.updateEntry(match, entry);
        }
    }
    requireSavedRecordReloads(folder, record);

    // A removal of the same list: a matched file entry goes, a folder's stays.
    for (uint32_t i = 0; i < updateCount; ++i) {
        uint32_t before = record.header.entryCount;
        uint32_t match = record.findEntry(update.entries[i].name);
        if (match == before) continue;
        bool folderEntry = manifest::isDirectoryEntry(record.entries()[match]);
        record.removeEntry(match, update.entries[i]);
        require(record.header.entryCount == (folderEntry ? before : before - 1));
    }
    requireSavedRecordReloads(folder, record);
    return 0;
}
