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

std::string foldedName(const char* name) { return platform::foldedAsciiCase(name); }

uint32_t UninstallManifest::findEntry(const char* name) const {
    for (uint32_t i = 0; i < header.entryCount; ++i) {
        if (namesMatch(entries[i].name, name)) return i;
    }
    return header.entryCount;
}

void UninstallManifest::appendEntry(const ManifestEntry& updateEntry) {
    ManifestEntry& slot = entries[header.entryCount];
    // Up to and including the terminator, and never past the field: a name that fills its
    // field without one is copied as it stands rather than with the bytes after it.
    const void* terminator = std::memchr(updateEntry.name, '\0', sizeof slot.name);
    size_t count = terminator ? static_cast<const char*>(terminator) - updateEntry.name + 1 : sizeof slot.name;
    std::memcpy(slot.name, updateEntry.name, count);
    slot.size = updateEntry.size;
    slot.extra = updateEntry.extra;
    if (!isDirectoryEntry(updateEntry)) {
        header.fileCount += 1;
        header.totalBytes += updateEntry.size;
    }
    header.entryCount += 1;
}

void UninstallManifest::updateEntry(uint32_t index, const ManifestEntry& updateEntry) {
    ManifestEntry& entry = entries[index];
    if (isDirectoryEntry(entry)) return;
    // Unsigned arithmetic: wraps modulo 2^64, as the record has always done.
    header.totalBytes = header.totalBytes + updateEntry.size - entry.size;
    entry.size = updateEntry.size;
    entry.extra = updateEntry.extra;
}

void UninstallManifest::removeEntry(uint32_t index, const ManifestEntry& updateEntry) {
    if (isDirectoryEntry(entries[index])) return;
    for (uint32_t i = index + 1; i < header.entryCount; ++i) entries[i - 1] = entries[i];
    header.entryCount -= 1;
    header.fileCount -= 1;
    header.totalBytes -= updateEntry.size;
}

}  // namespace manifest
