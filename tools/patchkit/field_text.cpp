#include "tools/patchkit/field_text.h"

#include <algorithm>
#include <cstdio>

#include "platform/text_encoding.h"

namespace patchkit {
namespace {

size_t utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

// "“é” (U+00E9)": the character as the vendor wrote it and its code point, so that an
// invisible or look-alike character can still be found in the description.
std::string describeCharacterAt(std::string_view utf8, size_t offset) {
    size_t length = utf8SequenceLength(static_cast<unsigned char>(utf8[offset]));
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

bool isLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

}  // namespace

// Whether the character at `offset` comes back as itself from code page 932.
bool survivesRoundTrip(std::string_view utf8, size_t offset, size_t length) {
    std::string_view character = utf8.substr(offset, length);
    std::string cp932, back;
    return platform::utf8ToCp932(character, cp932) && platform::cp932ToUtf8(cp932, back) && back == character;
}

bool cp932Of(std::string_view utf8, std::string& cp932, std::string& why) {
    size_t badOffset = utf8.size();
    if (!platform::utf8ToCp932(utf8, cp932, &badOffset)) {
        why = badOffset >= utf8.size() ? "is not UTF-8 text" : describeCharacterAt(utf8, badOffset) + " has no code page 932 form";
        return false;
    }
    // The host's converter also takes the JIS forms of a few characters (U+00A5 YEN SIGN,
    // U+301C WAVE DASH, U+2212 MINUS SIGN and others) onto code page 932 bytes that Windows reads
    // as something else; the yen sign even becomes a backslash, a separator in a name. Windows
    // refuses them, and so does the tool on every build: a text must come back as itself.
    std::string back;
    if (platform::cp932ToUtf8(cp932, back) && back == utf8) return true;
    for (size_t offset = 0; offset < utf8.size();) {
        size_t length = std::min(utf8SequenceLength(static_cast<unsigned char>(utf8[offset])), utf8.size() - offset);
        if (!survivesRoundTrip(utf8, offset, length)) {
            why = describeCharacterAt(utf8, offset) + " has no code page 932 form";
            return false;
        }
        offset += length;
    }
    why = "does not come back as itself from code page 932";
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
        size_t length = isLeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size() ? 2 : 1;
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
