#include "tools/patchkit/der_reader.h"

namespace patchkit {

bool DerReader::next(DerElement& element) {
    if (rest_.size() < 2) return false;
    uint8_t tag = static_cast<uint8_t>(rest_[0]);
    // Tag numbers above 30 take more bytes; nothing a signature holds uses them.
    if ((tag & 0x1F) == 0x1F) return false;
    uint8_t first = static_cast<uint8_t>(rest_[1]);
    size_t headerSize = 2;
    uint64_t length = first;
    if (first & 0x80) {
        size_t lengthBytes = first & 0x7F;
        // 0x80 is BER's indefinite length, which DER never uses.
        if (lengthBytes == 0 || lengthBytes > 4 || rest_.size() < 2 + lengthBytes) return false;
        length = 0;
        for (size_t k = 0; k < lengthBytes; ++k) length = length << 8 | static_cast<uint8_t>(rest_[2 + k]);
        headerSize += lengthBytes;
    }
    if (length > rest_.size() - headerSize) return false;
    element.tag = tag;
    element.content = rest_.substr(headerSize, static_cast<size_t>(length));
    element.whole = rest_.substr(0, headerSize + static_cast<size_t>(length));
    rest_.remove_prefix(element.whole.size());
    return true;
}

bool DerReader::nextIf(uint8_t tag, DerElement& element) {
    DerReader ahead = *this;
    DerElement found;
    if (!ahead.next(found) || found.tag != tag) return false;
    *this = ahead;
    element = found;
    return true;
}

}  // namespace patchkit
