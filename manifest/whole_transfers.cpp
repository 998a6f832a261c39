#include "manifest/whole_transfers.h"

#include <algorithm>

namespace manifest {
namespace {

constexpr uint32_t kLargestTransfer = 0x40000000;

}  // namespace

bool readAll(support::CFile& file, void* destination, uint64_t count) {
    auto* bytes = static_cast<uint8_t*>(destination);
    while (count > 0) {
        uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(count, kLargestTransfer));
        if (file.read(bytes, piece) != piece) return false;
        bytes += piece;
        count -= piece;
    }
    return true;
}

bool writeAll(support::CFile& file, const void* source, uint64_t count) {
    auto* bytes = static_cast<const uint8_t*>(source);
    while (count > 0) {
        uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(count, kLargestTransfer));
        if (file.write(bytes, piece) != piece) return false;
        bytes += piece;
        count -= piece;
    }
    return true;
}

}  // namespace manifest
