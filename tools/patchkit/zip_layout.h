#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The records of a zip archive that patchkit writes and reads (PKWARE's APPNOTE): a local
// header before each member's data, one central directory header a member after all the data,
// and the end record that says where that directory lies. Fields are little-endian and
// unaligned, so the structs are packed; every offset is pinned below, as the manifests' are.
namespace patchkit::zip {

inline constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr uint32_t kCentralHeaderSignature = 0x02014B50;
inline constexpr uint32_t kEndRecordSignature = 0x06054B50;

inline constexpr uint16_t kStored = 0;
inline constexpr uint16_t kDeflated = 8;
// 2.0, the first version with deflate and with folders; "made by" MS-DOS (0 in the high byte),
// whose external attributes are the FAT attribute bits.
inline constexpr uint16_t kVersion = 20;
inline constexpr uint32_t kFatDirectoryAttribute = 0x10;

inline constexpr uint16_t kFlagEncrypted = 1u << 0;
// Bit 11: the names are UTF-8. Unset, a reader takes them in a code page of its own; the
// built-in extractor of Windows takes the system's OEM code page, 932 on a Japanese Windows.
inline constexpr uint16_t kFlagUtf8Names = 1u << 11;

// Info-ZIP's Unicode Path field: the UTF-8 form of a name stored in a code page, valid while
// the CRC-32 it carries is that of the stored name.
inline constexpr uint16_t kUnicodePathTag = 0x7075;
inline constexpr uint8_t kUnicodePathVersion = 1;

// A name of ASCII bytes alone reads the same in every code page and in UTF-8: it needs no
// Unicode Path field, and no reader takes it for another.
inline bool isAsciiName(std::string_view name) {
    return std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The largest count and size the records hold; more would need the ZIP64 extension, which
// patchkit does not write.
inline constexpr uint32_t kLargest32 = 0xFFFFFFFFu;
inline constexpr uint16_t kLargest16 = 0xFFFFu;

// 1980-01-01 00:00:00, the earliest time the MS-DOS fields can say: every member carries it,
// so that one package always packs to the same bytes.
inline constexpr uint16_t kFixedTime = 0;
inline constexpr uint16_t kFixedDate = (0 << 9) | (1 << 5) | 1;

#pragma pack(push, 1)

struct LocalHeader {
    uint32_t signature;
    uint16_t versionNeeded;
    uint16_t flags;
    uint16_t method;
    uint16_t modifiedTime;
    uint16_t modifiedDate;
    uint32_t crc32;
    uint32_t compressedSize;
    uint32_t size;
    uint16_t nameLength;
    uint16_t extraLength;
    // the name, then the extra fields, then the member's data
};

struct CentralHeader {
    uint32_t signature;
    uint16_t versionMadeBy;
    uint16_t versionNeeded;
    uint16_t flags;
    uint16_t method;
    uint16_t modifiedTime;
    uint16_t modifiedDate;
    uint32_t crc32;
    uint32_t compressedSize;
    uint32_t size;
    uint16_t nameLength;
    uint16_t extraLength;
    uint16_t commentLength;
    uint16_t firstDisk;
    uint16_t internalAttributes;
    uint32_t externalAttributes;
    uint32_t localHeaderOffset;
    // the name, the extra fields, the comment
};

struct EndRecord {
    uint32_t signature;
    uint16_t disk;
    uint16_t directoryDisk;
    uint16_t entriesOnDisk;
    uint16_t entries;
    uint32_t directorySize;
    uint32_t directoryOffset;
    uint16_t commentLength;
    // the archive's comment
};

struct ExtraFieldHeader {
    uint16_t tag;
    uint16_t size;  // of what follows the header
};

struct UnicodePathField {
    ExtraFieldHeader header;
    uint8_t version;
    uint32_t nameCrc32;
    // the UTF-8 name, to the field's end
};

#pragma pack(pop)

static_assert(offsetof(LocalHeader, signature) == 0);
static_assert(offsetof(LocalHeader, versionNeeded) == 4);
static_assert(offsetof(LocalHeader, flags) == 6);
static_assert(offsetof(LocalHeader, method) == 8);
static_assert(offsetof(LocalHeader, modifiedTime) == 10);
static_assert(offsetof(LocalHeader, modifiedDate) == 12);
static_assert(offsetof(LocalHeader, crc32) == 14);
static_assert(offsetof(LocalHeader, compressedSize) == 18);
static_assert(offsetof(LocalHeader, size) == 22);
static_assert(offsetof(LocalHeader, nameLength) == 26);
static_assert(offsetof(LocalHeader, extraLength) == 28);
static_assert(sizeof(LocalHeader) == 30);

static_assert(offsetof(CentralHeader, signature) == 0);
static_assert(offsetof(CentralHeader, versionMadeBy) == 4);
static_assert(offsetof(CentralHeader, versionNeeded) == 6);
static_assert(offsetof(CentralHeader, flags) == 8);
static_assert(offsetof(CentralHeader, method) == 10);
static_assert(offsetof(CentralHeader, modifiedTime) == 12);
static_assert(offsetof(CentralHeader, modifiedDate) == 14);
static_assert(offsetof(CentralHeader, crc32) == 16);
static_assert(offsetof(CentralHeader, compressedSize) == 20);
static_assert(offsetof(CentralHeader, size) == 24);
static_assert(offsetof(CentralHeader, nameLength) == 28);
static_assert(offsetof(CentralHeader, extraLength) == 30);
static_assert(offsetof(CentralHeader, commentLength) == 32);
static_assert(offsetof(CentralHeader, firstDisk) == 34);
static_assert(offsetof(CentralHeader, internalAttributes) == 36);
static_assert(offsetof(CentralHeader, externalAttributes) == 38);
static_assert(offsetof(CentralHeader, localHeaderOffset) == 42);
static_assert(sizeof(CentralHeader) == 46);

static_assert(offsetof(EndRecord, signature) == 0);
static_assert(offsetof(EndRecord, disk) == 4);
static_assert(offsetof(EndRecord, directoryDisk) == 6);
static_assert(offsetof(EndRecord, entriesOnDisk) == 8);
static_assert(offsetof(EndRecord, entries) == 10);
static_assert(offsetof(EndRecord, directorySize) == 12);
static_assert(offsetof(EndRecord, directoryOffset) == 16);
static_assert(offsetof(EndRecord, commentLength) == 20);
static_assert(sizeof(EndRecord) == 22);

static_assert(offsetof(ExtraFieldHeader, tag) == 0);
static_assert(offsetof(ExtraFieldHeader, size) == 2);
static_assert(sizeof(ExtraFieldHeader) == 4);

static_assert(offsetof(UnicodePathField, header) == 0);
static_assert(offsetof(UnicodePathField, version) == 4);
static_assert(offsetof(UnicodePathField, nameCrc32) == 5);
static_assert(sizeof(UnicodePathField) == 9);

}  // namespace patchkit::zip
