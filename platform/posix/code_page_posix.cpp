#include "platform/code_page.h"
#include "platform/posix/posix_system.h"
#include "platform/text.h"

namespace platform {
namespace {

class PosixCodePage final : public CodePage {
public:
    bool isLeadByte(uint8_t byte) override {
        // Code page 932's lead bytes; a single-byte code page has none.
        if (codePage_ != 932) return false;
        return isCp932LeadByte(byte);
    }
    uint32_t activeCodePage() override { return codePage_; }
    void select(uint32_t codePage) { codePage_ = codePage; }

private:
    uint32_t codePage_ = 932;
};

PosixCodePage& codePageInstance() {
    static PosixCodePage codePage;
    return codePage;
}

}  // namespace

CodePage& systemCodePage() { return codePageInstance(); }

namespace posix {
void selectCodePage(uint32_t codePage) { codePageInstance().select(codePage); }
}  // namespace posix

}  // namespace platform
