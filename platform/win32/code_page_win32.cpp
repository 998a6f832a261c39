#include <windows.h>

#include "platform/code_page.h"

namespace platform {
namespace {

class Win32CodePage final : public CodePage {
public:
    bool isLeadByte(uint8_t byte) override { return IsDBCSLeadByteEx(CP_ACP, byte) != FALSE; }
    uint32_t activeCodePage() override { return GetACP(); }
};

}  // namespace

CodePage& systemCodePage() {
    static Win32CodePage instance;
    return instance;
}

}  // namespace platform
