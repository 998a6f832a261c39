#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "platform/files.h"
#include "tools/overlay/sha256.h"

namespace overlay {

// How much written content stays in memory as bytes. Beyond that a file keeps its size, and
// its digest for a caller that asks: enough to compare it with a real run, no longer readable.
struct Limits {
    // A file longer than this keeps only its size (and digest).
    uint64_t bytesPerFile = uint64_t{16} << 20;
    // All files together; past it, the files written longest ago give up their bytes, so the
    // latest (the installation's record is written last) keep theirs.
    uint64_t bytesInAll = uint64_t{64} << 20;
    // Digests cost a pass of SHA-256 over every byte written, several times what the run
    // itself costs: only a caller that compares one run's files with another's asks for them.
    bool digests = false;
};

class FileContent;

// What every file's content shares: the real file service that unchanged bytes are read
// through, and the account of the bytes kept in memory.
class ContentStore {
public:
    ContentStore(platform::Files& real, Limits limits) : real_(real), limits_(limits) {}
    ContentStore(const ContentStore&) = delete;
    ContentStore& operator=(const ContentStore&) = delete;

    platform::Files& real() { return real_; }
    uint64_t keptBytes() const { return kept_; }
    bool keepsDigests() const { return limits_.digests; }

private:
    friend class FileContent;
    // Called after every write: the writer becomes the youngest, and the oldest give up their
    // bytes until the account is within its limits again.
    void written(FileContent& writer);
    void forget(FileContent& content);

    platform::Files& real_;
    Limits limits_;
    uint64_t kept_ = 0;
    uint64_t clock_ = 0;
    std::set<std::pair<uint64_t, FileContent*>> byAge_;
};

// The bytes of one file as the overlay sees them: a real file's bytes where nothing was
// written, pages of written bytes over them, and zeros in any gap past the real file's end.
// Once its bytes are given up, only the size remains, and the digest where the store keeps
// digests.
class FileContent {
public:
    static constexpr uint32_t kPageSize = 64 * 1024;

    // An empty file.
    explicit FileContent(ContentStore& store) : store_(store) {}
    // The unchanged content of the real file at realPath, `size` bytes long.
    FileContent(ContentStore& store, std::string realPath, uint64_t size)
        : store_(store), realPath_(std::move(realPath)), realSize_(size), size_(size) {}
    ~FileContent();
    FileContent(const FileContent&) = delete;
    FileContent& operator=(const FileContent&) = delete;

    uint64_t size() const { return size_; }
    bool bytesKept() const { return mode_ == Mode::Bytes; }
    uint64_t keptBytes() const { return pages_.size() * uint64_t{kPageSize}; }

    // False when the bytes are no longer kept, or the real file cannot be read.
    bool read(uint64_t offset, void* buffer, uint32_t count);
    void write(uint64_t offset, const void* bytes, uint32_t count);
    // Empty from now on, as CREATE_ALWAYS leaves a file for every handle open on it.
    void truncate();

    // SHA-256 of the whole content as 64 hex digits; empty when the store keeps no digests, or
    // when it is no longer known (a write into the middle of a file whose bytes were given up).
    std::string digest();

private:
    friend class ContentStore;
    // Lost: only the size is known.
    enum class Mode { Bytes, Digest, Lost };

    bool readUnwritten(uint64_t offset, uint8_t* buffer, uint64_t count);
    bool hashAll(Sha256& hasher);
    void giveUpBytes();

    ContentStore& store_;
    std::string realPath_;  // empty: no real file below
    uint64_t realSize_ = 0;
    uint64_t size_ = 0;
    Mode mode_ = Mode::Bytes;
    std::map<uint64_t, std::unique_ptr<uint8_t[]>> pages_;  // by page index
    Sha256 hasher_;                                        // Mode::Digest: all size_ bytes
    uint64_t age_ = 0;                                     // in the store's byAge_ while pages are kept
};

}  // namespace overlay
