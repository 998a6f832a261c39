#include "tools/patchkit/zip_reader.h"

#include <zlib.h>

#include <cstring>

#include "tools/patchkit/zip_layout.h"

namespace patchkit {
namespace {

// A record copied out of the archive, if the archive holds all of it at that offset.
template <class Record>
bool recordAt(std::string_view archive, uint64_t at, Record& record) {
    if (at > archive.size() || archive.size() - at < sizeof record) return false;
    std::memcpy(&record, archive.data() + at, sizeof record);
    return true;
}

uint32_t crcOf(std::string_view bytes, uint32_t crc = 0) {
    return static_cast<uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// The end record is the archive's last 22 bytes, but for a comment of up to 65535 bytes after
// it: the one whose comment reaches exactly to the end is taken.
bool findEndRecord(std::string_view archive, zip::EndRecord& end, uint64_t& at) {
    if (archive.size() < sizeof end) return false;
    uint64_t last = archive.size() - sizeof end;
    uint64_t lowest = last > zip::kLargest16 ? last - zip::kLargest16 : 0;
    for (uint64_t i = last + 1; i-- > lowest;) {
        if (recordAt(archive, i, end) && end.signature == zip::kEndRecordSignature && i + sizeof end + end.commentLength == archive.size()) {
            at = i;
            return true;
        }
    }
    return false;
}

// The Unicode Path field among a member's extra fields, when it belongs to `storedName`: a
// field whose CRC-32 is another name's was left behind by a tool that renamed the member.
void takeUnicodePath(std::string_view extra, ZipMember& member) {
    zip::ExtraFieldHeader field{};
    for (uint64_t at = 0; recordAt(extra, at, field); at += sizeof field + field.size) {
        if (extra.size() - at - sizeof field < field.size) return;
        zip::UnicodePathField unicode{};
        if (field.tag != zip::kUnicodePathTag || !recordAt(extra.substr(at, sizeof field + field.size), 0, unicode)) continue;
        if (unicode.version != zip::kUnicodePathVersion || unicode.nameCrc32 != crcOf(member.storedName)) continue;
        member.hasUnicodePath = true;
        member.unicodePath = std::string(extra.substr(at + sizeof unicode, sizeof field + field.size - sizeof unicode));
        return;
    }
}

std::string memberNumber(size_t i) { return "member " + std::to_string(i); }

bool readMember(std::string_view archive, uint64_t& at, uint64_t directoryEnd, uint64_t dataEnd, size_t i, ZipMember& member,
                std::string& why) {
    zip::CentralHeader header{};
    if (!recordAt(archive.substr(0, directoryEnd), at, header) || header.signature != zip::kCentralHeaderSignature) {
        why = "the central directory is cut short before " + memberNumber(i);
        return false;
    }
    uint64_t nameAt = at + sizeof header;
    uint64_t end = nameAt + header.nameLength + header.extraLength + header.commentLength;
    if (end > directoryEnd) {
        why = "the central directory is cut short in " + memberNumber(i);
        return false;
    }
    member.storedName = std::string(archive.substr(nameAt, header.nameLength));
    member.utf8Flag = (header.flags & zip::kFlagUtf8Names) != 0;
    member.method = header.method;
    member.crc32 = header.crc32;
    member.compressedSize = header.compressedSize;
    member.size = header.size;
    takeUnicodePath(archive.substr(nameAt + header.nameLength, header.extraLength), member);
    at = end;
    if (header.flags & zip::kFlagEncrypted) {
        why = memberNumber(i) + " is encrypted";
        return false;
    }
    if (header.method != zip::kStored && header.method != zip::kDeflated) {
        why = memberNumber(i) + " is compressed by method " + std::to_string(header.method) + "; only stored and deflated members are read";
        return false;
    }
    if (header.compressedSize == zip::kLargest32 || header.size == zip::kLargest32 || header.localHeaderOffset == zip::kLargest32) {
        why = memberNumber(i) + " is a ZIP64 member, which is not read";
        return false;
    }
    zip::LocalHeader local{};
    if (!recordAt(archive, header.localHeaderOffset, local) || local.signature != zip::kLocalHeaderSignature) {
        why = memberNumber(i) + " has no local header where the directory says";
        return false;
    }
    member.dataOffset = uint64_t{header.localHeaderOffset} + sizeof local + local.nameLength + local.extraLength;
    if (member.dataOffset + member.compressedSize > dataEnd) {
        why = memberNumber(i) + "'s data runs into the central directory";
        return false;
    }
    return true;
}

// zlib's raw inflate stream, ended whatever happens.
class Inflater {
public:
    Inflater() { ready_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
    ~Inflater() {
        if (ready_) inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Inflates all of `input` into `sink`, stopping at the stream's end; false when the data
    // is no whole deflate stream, inflates to more than `limit` bytes, or the sink refuses.
    bool run(std::string_view input, uint64_t limit, uint64_t& total, uint32_t& crc, const std::function<bool(std::string_view)>& sink,
             std::string& why) {
        if (!ready_) {
            why = "zlib starts no inflate stream";
            return false;
        }
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
        stream_.avail_in = static_cast<uInt>(input.size());
        std::string buffer(1 << 16, '\0');
        for (int result = Z_OK; result != Z_STREAM_END;) {
            stream_.next_out = reinterpret_cast<Bytef*>(&buffer[0]);
            stream_.avail_out = static_cast<uInt>(buffer.size());
            result = inflate(&stream_, Z_NO_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END) {
                why = "does not inflate: " + std::string(stream_.msg ? stream_.msg : "its data ends early");
                return false;
            }
            std::string_view piece(buffer.data(), buffer.size() - stream_.avail_out);
            total += piece.size();
            if (total > limit) {
                why = "inflates to more than the " + std::to_string(limit) + " bytes the directory says";
                return false;
            }
            crc = crcOf(piece, crc);
            if (!piece.empty() && !sink(piece)) return false;
        }
        return true;
    }

private:
    z_stream stream_{};
    bool ready_ = false;
};

}  // namespace

bool readZipDirectory(std::string_view archive, std::vector<ZipMember>& members, std::string& why) {
    members.clear();
    zip::EndRecord end{};
    uint64_t endAt = 0;
    if (!findEndRecord(archive, end, endAt)) {
        why = "is no zip archive: it has no end record";
        return false;
    }
    if (end.disk != 0 || end.directoryDisk != 0 || end.entriesOnDisk != end.entries) {
        why = "is one part of a split archive";
        return false;
    }
    if (end.entries == zip::kLargest16 || end.directoryOffset == zip::kLargest32 || end.directorySize == zip::kLargest32) {
        why = "is a ZIP64 archive, which is not read";
        return false;
    }
    uint64_t directoryEnd = uint64_t{end.directoryOffset} + end.directorySize;
    if (directoryEnd > endAt) {
        why = "is cut short: its central directory would end past its end record";
        return false;
    }
    uint64_t at = end.directoryOffset;
    for (size_t i = 0; i < end.entries; ++i) {
        ZipMember member;
        if (!readMember(archive, at, directoryEnd, end.directoryOffset, i, member, why)) return false;
        members.push_back(std::move(member));
    }
    return true;
}

bool readZipMember(std::string_view archive, const ZipMember& member, const std::function<bool(std::string_view)>& sink,
                   std::string& why) {
    std::string_view data = archive.substr(member.dataOffset, member.compressedSize);
    uint64_t total = 0;
    uint32_t crc = 0;
    if (member.method == zip::kStored) {
        total = data.size();
        crc = crcOf(data);
        if (!data.empty() && !sink(data)) return false;
    } else {
        Inflater inflater;
        if (!inflater.run(data, member.size, total, crc, sink, why)) return false;
    }
    if (total != member.size) {
        why = "holds " + std::to_string(total) + " bytes; the directory says " + std::to_string(member.size);
        return false;
    }
    if (crc != member.crc32) {
        why = "fails its CRC-32 check";
        return false;
    }
    return true;
}

}  // namespace patchkit
