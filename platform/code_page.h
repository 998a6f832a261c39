#pragma once

#include <cstdint>

namespace platform {

// The process's ANSI code page as the runtime classifies it: 932 on the target systems.
class CodePage {
public:
    virtual ~CodePage() = default;

    // Whether the byte starts a double-byte character in the ANSI code page.
    virtual bool isLeadByte(uint8_t byte) = 0;
    virtual uint32_t activeCodePage() = 0;

    static CodePage* replace(CodePage* replacement);
};

CodePage& codePage();

}  // namespace platform
