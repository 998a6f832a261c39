#include <windows.h>

#include "platform/ui.h"

namespace platform {
namespace {

class Win32Ui final : public Ui {
public:
    int messageBox(const char* text, const char* caption, uint32_t type) override {
        return MessageBoxA(nullptr, text, caption, type);
    }
};

}  // namespace

Ui& systemUi() {
    static Win32Ui instance;
    return instance;
}

}  // namespace platform
