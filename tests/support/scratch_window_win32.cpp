#include <windows.h>

#include "tests/support/scratch_window.h"

namespace testing_support {

ScratchWindow::ScratchWindow(bool visible)
    : handle_(CreateWindowExA(0, "STATIC", "scratch", WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr)) {}

ScratchWindow::~ScratchWindow() { DestroyWindow(static_cast<HWND>(handle_)); }

}  // namespace testing_support
