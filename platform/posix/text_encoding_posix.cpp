#include <iconv.h>

#include <cerrno>

#include "platform/code_page.h"
#include "platform/text.h"
#include "platform/text_encoding.h"

namespace platform {
namespace {

// One direction of conversion, opened once: opening looks the converter modules up again
// every time and costs more than converting a path, which the native build does on every file
// call. The process has one thread.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return handle_; }

private:
    iconv_t handle_;
};

Converter& toUtf8() {
    static Converter converter("UTF-8", "CP932");
    return converter;
}

Converter& toCp932() {
    static Converter converter("CP932", "UTF-8");
    return converter;
}

// One conversion; false on an invalid or unconvertible sequence, with the input offset where
// it stopped.
bool convert(Converter& direction, std::string_view input, std::string& output, size_t* badOffset) {
    output.clear();
    if (!direction.valid()) return false;
    iconv_t converter = direction.handle();
    // A conversion that stopped on a bad sequence leaves no state behind for the next one.
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    bool ok = true;
    char buffer[256];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        output.append(buffer, out - buffer);
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
        // iconv counts characters it replaced instead of refusing them; with no //TRANSLIT
        // suffix glibc refuses, but a non-zero count would mean a lossy conversion all the same.
        if (result != static_cast<size_t>(-1) && result > 0) {
            ok = false;
            break;
        }
    }
    if (!ok && badOffset) *badOffset = static_cast<size_t>(in - input.data());
    return ok;
}

}  // namespace

bool cp932ToUtf8(std::string_view cp932, std::string& utf8) { return convert(toUtf8(), cp932, utf8, nullptr); }

// The host's converter maps a few characters one way only (U+00A5 and U+203E onto 0x5C and
// 0x7E, U+301C, U+2212, U+2016 and others onto the code page's look-alikes), where Windows
// refuses them. A character counts as held only when it converts back to itself, so both
// builds accept and refuse the same texts.
bool utf8ToCp932(std::string_view utf8, std::string& cp932, size_t* badOffset) {
    if (!convert(toCp932(), utf8, cp932, badOffset)) return false;
    std::string back;
    if (convert(toUtf8(), cp932, back, nullptr) && back == utf8) return true;
    // Find the first character that did not survive, one character at a time.
    size_t offset = 0;
    while (offset < utf8.size()) {
        size_t length = utf8SequenceLength(static_cast<uint8_t>(utf8[offset]));
        std::string_view character = utf8.substr(offset, length);
        std::string one, again;
        if (!convert(toCp932(), character, one, nullptr) || !convert(toUtf8(), one, again, nullptr) ||
            again != character) {
            break;
        }
        offset += length;
    }
    if (badOffset) *badOffset = offset;
    cp932.clear();
    return false;
}

// The single-byte code page that tests select stands for Latin-1 here: the first 256 code
// points, one byte each.
bool utf8ToAnsiCodePage(std::string_view utf8, std::string& ansi) {
    if (codePage().activeCodePage() == 932) return utf8ToCp932(utf8, ansi);
    ansi.clear();
    for (size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            ansi += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            ansi += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace platform
