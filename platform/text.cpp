#include "platform/text.h"

namespace platform {

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (foldAsciiCase(a[i]) != foldAsciiCase(b[i])) return false;
    }
    return true;
}

std::string foldedAsciiCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = foldAsciiCase(c);
    return folded;
}

size_t utf8SequenceLength(uint8_t lead) {
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

}  // namespace platform
