#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace overlay {

// SHA-256, so that content too large to keep in memory can still be compared byte for byte
// with what a real run leaves on disk.
class Sha256 {
public:
    Sha256();
    void update(const void* bytes, size_t count);
    // Feeds `count` zero bytes: a gap that a write past the end of a file leaves.
    void updateZeros(uint64_t count);
    // The digest of everything fed so far, as 64 lowercase hex digits; feeding may go on.
    std::string hexDigest() const;

private:
    void compress(const uint8_t* block);

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> block_{};
    size_t blockFill_ = 0;
    uint64_t length_ = 0;
};

}  // namespace overlay
