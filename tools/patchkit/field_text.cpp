#include "tools/patchkit/field_text.h"

#include <cstdio>

#include "platform/text.h"
#include "platform/text_encoding.h"

namespace patchkit {
namespace {

// "“é” (U+00E9)": the character as the vendor wrote it and its code point, so that an
// invisible or look-alike character can still be found in the description.
std::string describeCharacterAt(std::string_view utf8, size_t offset) {
    size_t length = platform::utf8SequenceLength(static_cast<uint8_t>(utf8[offset]));
    if (offset + length > utf8.size()) length = utf8.size() - offset;
    std::string_view sequence = utf8.substr(offset, length);
    unsigned long codePoint = static_cast<unsigned char>(sequence[0]);
    if (length > 1) {
        codePoint &= 0x3Fu >> (length - 1);
        for (size_t i = 1; i < length; ++i) codePoint = (codePoint << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3F);
    }
    size_t characterIndex = 0;
    for (size_t i = 0; i < offset; ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) ++characterIndex;
    }
    char number[16];
    std::snprintf(number, sizeof number, "U+%04lX", codePoint);
    return std::string(u8"\u201C") + std::string(sequence) + u8"\u201D (" + number + ") at character " +
           std::to_string(characterIndex + 1);
}

}  // namespace

// The yen sign, the wave dash and the other characters that would come back from code page
// 932 as something else count as having no form there: the platform's conversion refuses
// them on every build, so a name never gains a separator it did not have.
bool cp932Of(std::string_view utf8, std::string& cp932, std::string& why) {
    size_t badOffset = utf8.size();
    if (platform::utf8ToCp932(utf8, cp932, &badOffset)) return true;
    why = badOffset >= utf8.size() ? "is not UTF-8 text" : describeCharacterAt(utf8, badOffset) + " has no code page 932 form";
    return false;
}

bool fieldTextOf(std::string_view utf8, size_t width, std::string& cp932, std::string& why) {
    if (!cp932Of(utf8, cp932, why)) return false;
    if (cp932.size() + 1 > width) {
        why = "takes " + std::to_string(cp932.size()) + " bytes in code page 932; the field holds " +
              std::to_string(width - 1) + " and its terminator";
        return false;
    }
    return true;
}

bool displayTextOf(std::string_view cp932, std::string& utf8) {
    if (platform::cp932ToUtf8(cp932, utf8)) return true;
    // Character by character, so that one bad byte spoils only itself.
    utf8.clear();
    for (size_t i = 0; i < cp932.size();) {
        size_t length = platform::isCp932LeadByte(static_cast<uint8_t>(cp932[i])) && i + 1 < cp932.size() ? 2 : 1;
        std::string piece;
        if (platform::cp932ToUtf8(cp932.substr(i, length), piece)) {
            utf8 += piece;
        } else {
            utf8 += u8"\uFFFD";
        }
        i += length;
    }
    return false;
}

}  // namespace patchkit
