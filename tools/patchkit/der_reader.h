#pragma once

#include <cstdint>
#include <string_view>

// A walk over DER, the encoding of certificates and signatures: each element is a tag, a
// length and that many bytes of content, one after the other, and a constructed element's
// content is such a run again. Only what DER allows is read (one-byte tags, definite lengths);
// an element that would pass the end of what holds it ends the walk.
namespace patchkit {

namespace der {
constexpr uint8_t kInteger = 0x02;
constexpr uint8_t kObjectIdentifier = 0x06;
constexpr uint8_t kUtf8String = 0x0C;
constexpr uint8_t kPrintableString = 0x13;
constexpr uint8_t kTeletexString = 0x14;
constexpr uint8_t kIa5String = 0x16;
constexpr uint8_t kBmpString = 0x1E;
constexpr uint8_t kSequence = 0x30;
constexpr uint8_t kSet = 0x31;
// [n] of a constructed element, as the signature's optional parts are tagged.
constexpr uint8_t contextTag(uint8_t n) { return static_cast<uint8_t>(0xA0 | n); }
}  // namespace der

struct DerElement {
    uint8_t tag = 0;
    std::string_view content;  // the bytes after tag and length
    std::string_view whole;    // tag, length and content
};

class DerReader {
public:
    explicit DerReader(std::string_view bytes) : rest_(bytes) {}

    bool atEnd() const { return rest_.empty(); }
    // The next element; false when the bytes left hold no whole one.
    bool next(DerElement& element);
    // The next element when it has this tag; false, the reader staying where it was, otherwise.
    bool nextIf(uint8_t tag, DerElement& element);

private:
    std::string_view rest_;
};

}  // namespace patchkit
