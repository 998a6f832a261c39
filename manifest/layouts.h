#pragma once

#include <cstddef>
#include <cstdint>

// The byte layouts of Updateinf.dat and Uninstallinf.dat: little-endian, no padding between
// fields other than the named padding members. Every offset is pinned below, so the file
// format cannot drift with a compiler or a target.
namespace manifest {

inline constexpr size_t kNameWidth = 260;
inline constexpr size_t kHeaderTextWidth = 128;
inline constexpr size_t kShortcutSlotCount = 8;
inline constexpr size_t kCarriedStringCount = 3;

struct ManifestEntry {
    char name[kNameWidth];  // relative path; a last byte 0x5C makes it a directory entry
    uint8_t padding1[4];
    uint64_t size;
    uint32_t extra;  // never interpreted; carried from the update entry into the record
    uint8_t padding2[4];
};

struct ShortcutSlot {
    char nameTemplate[260];  // empty: the slot is unused
    char target[260];
};

struct UpdateHeader {
    char title[kHeaderTextWidth];
    char updateName[kHeaderTextWidth];
    char note[kHeaderTextWidth];
    char productName[kHeaderTextWidth];
    char registryKey[kHeaderTextWidth];
    char registryValue[kHeaderTextWidth];
    uint32_t entryCount;
    uint8_t reserved[12];
    char carriedStrings[kCarriedStringCount][kHeaderTextWidth];
    ShortcutSlot shortcuts[kShortcutSlotCount];
};

struct UninstallHeader {
    char templateArgument[kHeaderTextWidth];
    uint32_t entryCount;
    uint32_t fileCount;
    uint64_t totalBytes;
    char shortcutFolderTemplate[kHeaderTextWidth];
    uint8_t reserved[640];
    char carriedStrings[kCarriedStringCount][kHeaderTextWidth];
    ShortcutSlot shortcuts[kShortcutSlotCount];
};

static_assert(offsetof(ManifestEntry, name) == 0);
static_assert(offsetof(ManifestEntry, padding1) == 260);
static_assert(offsetof(ManifestEntry, size) == 264);
static_assert(offsetof(ManifestEntry, extra) == 272);
static_assert(offsetof(ManifestEntry, padding2) == 276);
static_assert(sizeof(ManifestEntry) == 280);

static_assert(offsetof(ShortcutSlot, nameTemplate) == 0);
static_assert(offsetof(ShortcutSlot, target) == 260);
static_assert(sizeof(ShortcutSlot) == 520);

static_assert(offsetof(UpdateHeader, title) == 0);
static_assert(offsetof(UpdateHeader, updateName) == 128);
static_assert(offsetof(UpdateHeader, note) == 256);
static_assert(offsetof(UpdateHeader, productName) == 384);
static_assert(offsetof(UpdateHeader, registryKey) == 512);
static_assert(offsetof(UpdateHeader, registryValue) == 640);
static_assert(offsetof(UpdateHeader, entryCount) == 768);
static_assert(offsetof(UpdateHeader, reserved) == 772);
static_assert(offsetof(UpdateHeader, carriedStrings) == 784);
static_assert(offsetof(UpdateHeader, shortcuts) == 1168);
static_assert(sizeof(UpdateHeader) == 5328);

static_assert(offsetof(UninstallHeader, templateArgument) == 0);
static_assert(offsetof(UninstallHeader, entryCount) == 128);
static_assert(offsetof(UninstallHeader, fileCount) == 132);
static_assert(offsetof(UninstallHeader, totalBytes) == 136);
static_assert(offsetof(UninstallHeader, shortcutFolderTemplate) == 144);
static_assert(offsetof(UninstallHeader, reserved) == 272);
static_assert(offsetof(UninstallHeader, carriedStrings) == 912);
static_assert(offsetof(UninstallHeader, shortcuts) == 1296);
static_assert(sizeof(UninstallHeader) == 5456);

// The layouts are read and written as raw bytes, which only a little-endian target gives.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);

// A directory entry's name ends in a backslash byte. Only the last byte counts: no
// double-byte check, and a slash does not count.
inline bool isDirectoryEntry(const ManifestEntry& entry) {
    size_t length = 0;
    while (length < kNameWidth && entry.name[length] != '\0') ++length;
    return length > 0 && entry.name[length - 1] == '\\';
}

}  // namespace manifest
