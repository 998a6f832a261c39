#include <windows.h>

#include "platform/window_state.h"

namespace platform {
namespace {

class Win32WindowState final : public WindowState {
public:
    bool isWindowVisible(WindowHandle window) override { return IsWindowVisible(static_cast<HWND>(window)) != FALSE; }
};

}  // namespace

WindowState& systemWindowState() {
    static Win32WindowState instance;
    return instance;
}

}  // namespace platform
