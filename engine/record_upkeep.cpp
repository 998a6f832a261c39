#include "engine/record_upkeep.h"

namespace engine {

void keepRecordInStep(manifest::UninstallManifest& record, const manifest::ManifestEntry& fileEntry, bool removalMode) {
    uint32_t match = record.findEntry(fileEntry.name);
    bool found = match < record.header.entryCount;
    if (removalMode) {
        if (found) record.removeEntry(match, fileEntry);
    } else if (found) {
        record.updateEntry(match, fileEntry);
    } else {
        record.appendEntry(fileEntry);
    }
}

}  // namespace engine
