#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace patchkit {

// What the central directory says of a member.
struct ZipMember {
    std::string storedName;  // the name's bytes as stored
    bool utf8Flag = false;   // the stored name is UTF-8 (general purpose bit 11)
    // The UTF-8 name of an Info-ZIP Unicode Path field, when there is one that still belongs
    // to the stored name (its CRC-32 is the stored name's).
    bool hasUnicodePath = false;
    std::string unicodePath;
    uint16_t method = 0;
    uint32_t crc32 = 0;
    uint32_t compressedSize = 0;
    uint32_t size = 0;
    uint64_t dataOffset = 0;  // where the data begins, past the local header

    bool isFolder() const { return !storedName.empty() && storedName.back() == '/'; }
};

// The members of the archive in `archive`, in the order of its central directory. False (with
// `why`) when the records are not whole, or the archive is split, encrypted, ZIP64 or
// compressed by a method other than deflate.
bool readZipDirectory(std::string_view archive, std::vector<ZipMember>& members, std::string& why);

// A member's data, stored or inflated by zlib, given to `sink` in pieces; false (with `why`)
// when it does not inflate, is of another size than the directory says or fails its CRC-32, or
// when `sink` returns false.
bool readZipMember(std::string_view archive, const ZipMember& member, const std::function<bool(std::string_view)>& sink,
                   std::string& why);

}  // namespace patchkit
