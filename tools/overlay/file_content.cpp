#include "tools/overlay/file_content.h"

#include <algorithm>
#include <cstring>

namespace overlay {
namespace {

// One open, seek, read and close per call: the overlay holds no real handle between calls,
// so the real files stay free for everyone else.
bool readRealFile(platform::Files& real, const std::string& path, uint64_t offset, uint8_t* buffer, uint64_t count) {
    platform::FileHandle file =
        real.createFile(path.c_str(), platform::kGenericRead, platform::kFileShareRead | platform::kFileShareWrite, platform::kOpenExisting);
    if (file == platform::kInvalidFileHandle) return false;
    int32_t high = static_cast<int32_t>(offset >> 32);
    real.setFilePointer(file, static_cast<int32_t>(static_cast<uint32_t>(offset)), &high, platform::kFileBegin);
    bool whole = true;
    while (count > 0 && whole) {
        uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(count, 1u << 20));
        uint32_t got = 0;
        whole = real.readFile(file, buffer, piece, &got) && got == piece;
        buffer += piece;
        count -= piece;
    }
    real.closeHandle(file);
    return whole;
}

}  // namespace

void ContentStore::written(FileContent& writer) {
    byAge_.erase({writer.age_, &writer});
    writer.age_ = ++clock_;
    if (!writer.pages_.empty()) byAge_.insert({writer.age_, &writer});
    if (writer.keptBytes() > limits_.bytesPerFile) writer.giveUpBytes();
    while (kept_ > limits_.bytesInAll && !byAge_.empty() && byAge_.begin()->second != &writer) {
        byAge_.begin()->second->giveUpBytes();
    }
}

void ContentStore::forget(FileContent& content) { byAge_.erase({content.age_, &content}); }

FileContent::~FileContent() {
    store_.kept_ -= keptBytes();
    store_.forget(*this);
}

bool FileContent::readUnwritten(uint64_t offset, uint8_t* buffer, uint64_t count) {
    uint64_t fromReal = offset < realSize_ ? std::min(count, realSize_ - offset) : 0;
    if (fromReal > 0 && !readRealFile(store_.real(), realPath_, offset, buffer, fromReal)) return false;
    std::memset(buffer + fromReal, 0, count - fromReal);
    return true;
}

bool FileContent::read(uint64_t offset, void* buffer, uint32_t count) {
    if (mode_ != Mode::Bytes) return false;
    auto* out = static_cast<uint8_t*>(buffer);
    uint64_t end = offset + count;
    // Runs of unwritten bytes go to the real file in one read each.
    uint64_t runStart = offset;
    for (uint64_t at = offset; at < end;) {
        uint64_t page = at / kPageSize;
        uint64_t pageEnd = std::min(end, (page + 1) * kPageSize);
        auto kept = pages_.find(page);
        if (kept != pages_.end()) {
            if (runStart < at && !readUnwritten(runStart, out + (runStart - offset), at - runStart)) return false;
            std::memcpy(out + (at - offset), kept->second.get() + (at % kPageSize), pageEnd - at);
            runStart = pageEnd;
        }
        at = pageEnd;
    }
    return runStart >= end || readUnwritten(runStart, out + (runStart - offset), end - runStart);
}

void FileContent::write(uint64_t offset, const void* bytes, uint32_t count) {
    if (count == 0) return;
    uint64_t end = offset + count;
    if (mode_ == Mode::Digest) {
        if (offset < size_) {
            mode_ = Mode::Lost;
        } else {
            hasher_.updateZeros(offset - size_);
            hasher_.update(bytes, count);
        }
    } else if (mode_ == Mode::Bytes) {
        const auto* in = static_cast<const uint8_t*>(bytes);
        for (uint64_t at = offset; at < end;) {
            uint64_t page = at / kPageSize;
            uint64_t pageStart = page * kPageSize;
            uint64_t pageEnd = std::min(end, pageStart + kPageSize);
            std::unique_ptr<uint8_t[]>& kept = pages_[page];
            if (!kept) {
                kept.reset(new uint8_t[kPageSize]);
                store_.kept_ += kPageSize;
                // A page written only in part keeps the bytes around the write.
                if ((at > pageStart || pageEnd < pageStart + kPageSize) && !readUnwritten(pageStart, kept.get(), kPageSize)) {
                    mode_ = Mode::Lost;
                }
            }
            std::memcpy(kept.get() + (at - pageStart), in + (at - offset), pageEnd - at);
            at = pageEnd;
        }
    }
    size_ = std::max(size_, end);
    if (mode_ == Mode::Lost) {
        store_.kept_ -= keptBytes();
        pages_.clear();
    }
    store_.written(*this);
}

void FileContent::truncate() {
    store_.kept_ -= keptBytes();
    store_.forget(*this);
    pages_.clear();
    realPath_.clear();
    realSize_ = 0;
    size_ = 0;
    mode_ = Mode::Bytes;
    hasher_ = Sha256();
}

bool FileContent::hashAll(Sha256& hasher) {
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kPageSize]);
    for (uint64_t at = 0; at < size_; at += kPageSize) {
        uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(kPageSize, size_ - at));
        if (!read(at, buffer.get(), count)) return false;
        hasher.update(buffer.get(), count);
    }
    return true;
}

void FileContent::giveUpBytes() {
    if (mode_ != Mode::Bytes) return;
    Sha256 hasher;
    mode_ = store_.keepsDigests() && hashAll(hasher) ? Mode::Digest : Mode::Lost;
    hasher_ = hasher;
    store_.kept_ -= keptBytes();
    store_.forget(*this);
    pages_.clear();
}

std::string FileContent::digest() {
    if (!store_.keepsDigests()) return {};
    if (mode_ == Mode::Digest) return hasher_.hexDigest();
    Sha256 hasher;
    if (mode_ == Mode::Lost || !hashAll(hasher)) return {};
    return hasher.hexDigest();
}

}  // namespace overlay
