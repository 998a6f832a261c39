#include "platform/code_page.h"
#include "platform/posix/posix_system.h"

namespace platform {
namespace {

class PosixCodePage final : public CodePage {
public:
    bool isLeadByte(uint8_t byte) override {
        // Code page 932's lead bytes; a single-byte code page has none.
        if (codePage_ != 932) return false;
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    }
    uint32_t activeCodePage() override { return codePage_; }
    void select(uint32_t codePage) { codePage_ = codePage; }

private:
    uint32_t codePage_ = 932;
};

PosixCodePage& instance() {
    static PosixCodePage codePage;
    return codePage;
}

}  // namespace

CodePage& systemCodePage() { return instance(); }

namespace posix {
void selectCodePage(uint32_t codePage) { instance().select(codePage); }
}  // namespace posix

}  // namespace platform
