#include "platform/text_encoding.h"

namespace platform {

std::string utf8OrRawBytes(std::string_view cp932) {
    std::string utf8;
    return cp932ToUtf8(cp932, utf8) ? utf8 : std::string(cp932);
}

}  // namespace platform
