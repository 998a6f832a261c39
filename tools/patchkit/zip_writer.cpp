#include "tools/patchkit/zip_writer.h"

#include <zlib.h>

#include <algorithm>

#include "platform/text_encoding.h"

// The records are written as the structs lie in memory: both builds run on little-endian x86.
namespace patchkit {
namespace {

constexpr uint32_t kChunk = 1 << 20;

uint32_t crcOf(const void* bytes, size_t count, uint32_t crc = 0) {
    return static_cast<uint32_t>(crc32(crc, static_cast<const Bytef*>(bytes), static_cast<uInt>(count)));
}

// zlib's raw deflate stream, without the zlib header and check value: the zip's records frame
// the data and carry its CRC-32. The strongest level, so that a download is as small as
// deflate makes it; zlib gives the same bytes for the same input on every build.
class Deflater {
public:
    Deflater() { ready_ = deflateInit2(&stream_, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK; }
    ~Deflater() {
        if (ready_) deflateEnd(&stream_);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool ready() const { return ready_; }

    // Appends to `out` what `count` more bytes deflate to; `last` ends the stream.
    bool take(const uint8_t* input, uint32_t count, bool last, std::string& out) {
        stream_.next_in = const_cast<Bytef*>(input);
        stream_.avail_in = count;
        buffer_.resize(1 << 16);
        for (;;) {
            stream_.next_out = reinterpret_cast<Bytef*>(&buffer_[0]);
            stream_.avail_out = static_cast<uInt>(buffer_.size());
            int result = deflate(&stream_, last ? Z_FINISH : Z_NO_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END) return false;
            out.append(buffer_, 0, buffer_.size() - stream_.avail_out);
            if (last ? result == Z_STREAM_END : stream_.avail_out != 0) return true;
        }
    }

private:
    z_stream stream_{};
    std::string buffer_;
    bool ready_ = false;
};

bool deflateFile(const std::string& source, std::string& deflated, uint32_t& crc, uint64_t& size, std::string& why,
                 const ByteCounter& onProgress) {
    support::CFile file;
    if (!file.open(source, support::FileOpenMode::Read)) {
        why = "cannot be opened for reading";
        return false;
    }
    if (file.size() >= zip::kLargest32) {
        why = "holds " + std::to_string(file.size()) + " bytes; a member of 4 GiB or more needs ZIP64, which pack does not write";
        return false;
    }
    Deflater deflater;
    if (!deflater.ready()) {
        why = "cannot be deflated: zlib starts no stream";
        return false;
    }
    std::vector<uint8_t> chunk(static_cast<size_t>(std::min<uint64_t>(kChunk, file.size())));
    crc = 0;
    size = 0;
    do {
        uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(kChunk, file.size() - size));
        if (wanted > 0 && file.read(chunk.data(), wanted) != wanted) {
            why = "could not be read to its end";
            return false;
        }
        crc = crcOf(chunk.data(), wanted, crc);
        size += wanted;
        if (!deflater.take(chunk.data(), wanted, size == file.size(), deflated)) {
            why = "cannot be deflated: zlib stopped";
            return false;
        }
        if (onProgress) onProgress(size);
    } while (size < file.size());
    return true;
}

}  // namespace

bool ZipWriter::create(const std::string& path, std::string& why) {
    members_.clear();
    written_ = 0;
    if (file_.open(path, support::FileOpenMode::Write)) return true;
    why = "cannot be created";
    return false;
}

bool ZipWriter::addFolder(const std::string& name, std::string& why) {
    return addMember(name, zip::kStored, 0, 0, std::string(), zip::kFatDirectoryAttribute, why);
}

bool ZipWriter::addFile(const std::string& name, const std::string& source, std::string& why, const ByteCounter& onProgress) {
    std::string deflated;
    uint32_t crc = 0;
    uint64_t size = 0;
    if (!deflateFile(source, deflated, crc, size, why, onProgress)) return false;
    return addMember(name, zip::kDeflated, crc, size, deflated, 0, why);
}

bool ZipWriter::addMember(const std::string& name, uint16_t method, uint32_t crc, uint64_t size, const std::string& data,
                          uint32_t attributes, std::string& why) {
    if (members_.size() >= zip::kLargest16) {
        why = "would be the archive's member number 65536; more need ZIP64, which pack does not write";
        return false;
    }
    Member member;
    member.name = name;
    if (!zip::isAsciiName(name)) {
        std::string utf8;
        if (!platform::cp932ToUtf8(name, utf8)) {
            why = "is not code page 932 text";
            return false;
        }
        zip::UnicodePathField field{{zip::kUnicodePathTag, static_cast<uint16_t>(sizeof field - sizeof field.header + utf8.size())},
                                    zip::kUnicodePathVersion,
                                    crcOf(name.data(), name.size())};
        member.extra.assign(reinterpret_cast<const char*>(&field), sizeof field);
        member.extra += utf8;
    }
    uint64_t end = written_ + sizeof(zip::LocalHeader) + name.size() + member.extra.size() + data.size();
    if (end > zip::kLargest32) {
        why = "would take the archive past 4 GiB; that needs ZIP64, which pack does not write";
        return false;
    }
    const auto nameLength = static_cast<uint16_t>(name.size());
    const auto extraLength = static_cast<uint16_t>(member.extra.size());
    const auto compressed = static_cast<uint32_t>(data.size());
    const auto whole = static_cast<uint32_t>(size);
    zip::LocalHeader local{zip::kLocalHeaderSignature, zip::kVersion, 0, method, zip::kFixedTime, zip::kFixedDate, crc,
                           compressed, whole, nameLength, extraLength};
    member.header = zip::CentralHeader{zip::kCentralHeaderSignature, zip::kVersion, zip::kVersion, 0, method,
                                       zip::kFixedTime, zip::kFixedDate, crc, compressed, whole, nameLength, extraLength,
                                       0, 0, 0, attributes, static_cast<uint32_t>(written_)};
    if (!put(&local, sizeof local, why) || !put(name.data(), name.size(), why) || !put(member.extra.data(), member.extra.size(), why) ||
        !put(data.data(), data.size(), why)) {
        return false;
    }
    members_.push_back(member);
    return true;
}

bool ZipWriter::finish(std::string& why) {
    uint64_t start = written_;
    for (const Member& member : members_) {
        if (!put(&member.header, sizeof member.header, why) || !put(member.name.data(), member.name.size(), why) ||
            !put(member.extra.data(), member.extra.size(), why)) {
            return false;
        }
    }
    if (written_ + sizeof(zip::EndRecord) > zip::kLargest32) {
        why = "its central directory would end past 4 GiB; that needs ZIP64, which pack does not write";
        return false;
    }
    const auto count = static_cast<uint16_t>(members_.size());
    zip::EndRecord end{zip::kEndRecordSignature, 0, 0, count, count, static_cast<uint32_t>(written_ - start),
                       static_cast<uint32_t>(start), 0};
    if (!put(&end, sizeof end, why)) return false;
    if (!file_.close()) {
        why = "could not be closed";
        return false;
    }
    return true;
}

bool ZipWriter::put(const void* bytes, size_t count, std::string& why) {
    if (count == 0) return true;
    if (file_.write(bytes, static_cast<uint32_t>(count)) != count) {
        why = "could not be written in full";
        return false;
    }
    written_ += count;
    return true;
}

}  // namespace patchkit
