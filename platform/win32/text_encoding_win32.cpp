#include <windows.h>

#include <vector>

#include "platform/text.h"
#include "platform/text_encoding.h"

namespace platform {
namespace {

constexpr UINT kCodePage932 = 932;

// Character by character, so that the offset of the first one that cannot be held is known.
// WC_NO_BEST_FIT_CHARS refuses what Windows would otherwise map onto a look-alike (the yen
// sign onto a backslash).
bool utf8ToCodePage(UINT codePage, std::string_view utf8, std::string& narrow, size_t* badOffset) {
    narrow.clear();
    size_t offset = 0;
    while (offset < utf8.size()) {
        size_t length = utf8SequenceLength(static_cast<uint8_t>(utf8[offset]));
        wchar_t wide[2];
        int wideLength = offset + length > utf8.size()
                             ? 0
                             : MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data() + offset,
                                                   static_cast<int>(length), wide, 2);
        char bytes[4];
        BOOL usedDefault = FALSE;
        int byteLength = wideLength <= 0 ? 0
                                         : WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, wideLength, bytes,
                                                               sizeof bytes, nullptr, &usedDefault);
        if (byteLength <= 0 || usedDefault) {
            if (badOffset) *badOffset = offset;
            return false;
        }
        narrow.append(bytes, byteLength);
        offset += length;
    }
    return true;
}

}  // namespace

bool cp932ToUtf8(std::string_view cp932, std::string& utf8) {
    utf8.clear();
    if (cp932.empty()) return true;
    int wideLength = MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
    if (wideLength <= 0) return false;
    std::vector<wchar_t> wide(wideLength);
    MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, cp932.data(), static_cast<int>(cp932.size()), wide.data(), wideLength);
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return false;
    utf8.resize(length);
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], length, nullptr, nullptr);
    return true;
}

bool utf8ToCp932(std::string_view utf8, std::string& cp932, size_t* badOffset) {
    return utf8ToCodePage(kCodePage932, utf8, cp932, badOffset);
}

bool utf8ToAnsiCodePage(std::string_view utf8, std::string& ansi) { return utf8ToCodePage(CP_ACP, utf8, ansi, nullptr); }

}  // namespace platform
