#include "tools/patchkit/file_transfer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "support/file.h"

namespace patchkit {
namespace {

constexpr uint32_t kChunk = 1 << 20;

}  // namespace

bool readWholeFile(const std::string& path, std::string& bytes, std::string& why) {
    support::CFile file;
    if (!file.open(path, support::FileOpenMode::Read)) {
        why = "cannot be opened for reading";
        return false;
    }
    bytes.assign(static_cast<size_t>(file.size()), '\0');
    uint64_t done = 0;
    while (done < bytes.size()) {
        uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(kChunk, bytes.size() - done));
        uint32_t got = file.read(&bytes[static_cast<size_t>(done)], piece);
        if (got == 0) {
            why = "could not be read to its end";
            return false;
        }
        done += got;
    }
    return true;
}

bool writeWholeFile(const std::string& path, const std::string& bytes, std::string& why) {
    support::CFile file;
    if (!file.open(path, support::FileOpenMode::Write)) {
        why = "cannot be opened for writing";
        return false;
    }
    uint64_t done = 0;
    while (done < bytes.size()) {
        uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(kChunk, bytes.size() - done));
        uint32_t stored = file.write(bytes.data() + done, piece);
        if (stored == 0) {
            why = "could not be written in full (" + std::to_string(done) + " of " + std::to_string(bytes.size()) + " bytes)";
            return false;
        }
        done += stored;
    }
    return true;
}

bool copyFile(const std::string& from, const std::string& to, uint64_t& copied, std::string& why, const ByteCounter& onProgress) {
    copied = 0;
    support::CFile source;
    support::CFile target;
    if (!source.open(from, support::FileOpenMode::Read)) {
        why = "cannot be opened for reading";
        return false;
    }
    if (!target.open(to, support::FileOpenMode::Write)) {
        why = "its copy cannot be created";
        return false;
    }
    // Steps no larger than what is left: copyFrom allocates its buffer for the count asked,
    // and most files of a product are far smaller than a chunk. A short step means a failed
    // read or write.
    while (copied < source.size()) {
        uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(kChunk, source.size() - copied));
        uint32_t moved = target.copyFrom(source, wanted);
        copied += moved;
        if (onProgress) onProgress(copied);
        if (moved < wanted) break;
    }
    if (copied != source.size()) {
        why = "copy stopped after " + std::to_string(copied) + " of " + std::to_string(source.size()) + " bytes";
        return false;
    }
    return true;
}

bool sameContent(const std::string& a, const std::string& b, bool& same, std::string& why) {
    support::CFile first;
    support::CFile second;
    if (!first.open(a, support::FileOpenMode::Read) || !second.open(b, support::FileOpenMode::Read)) {
        why = "cannot be opened for reading";
        return false;
    }
    if (first.size() != second.size()) {
        same = false;
        return true;
    }
    uint64_t remaining = first.size();
    size_t buffer = static_cast<size_t>(std::min<uint64_t>(kChunk, remaining));
    std::vector<uint8_t> left(buffer);
    std::vector<uint8_t> right(buffer);
    while (remaining > 0) {
        uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(kChunk, remaining));
        if (first.read(left.data(), piece) != piece || second.read(right.data(), piece) != piece) {
            why = "could not be read to its end";
            return false;
        }
        if (std::memcmp(left.data(), right.data(), piece) != 0) {
            same = false;
            return true;
        }
        remaining -= piece;
    }
    same = true;
    return true;
}

bool sizeOfFile(const std::string& path, uint64_t& size) {
    support::CFile file;
    if (!file.open(path, support::FileOpenMode::Read)) return false;
    size = file.size();
    return true;
}

}  // namespace patchkit
