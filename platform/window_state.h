#pragma once

namespace platform {

using WindowHandle = void*;  // HWND

// The state of windows that the process did not make through its dialogs.
class WindowState {
public:
    virtual ~WindowState() = default;

    // IsWindowVisible: true when it returned non-zero, that is when the window and every
    // parent of it have the visible style.
    virtual bool isWindowVisible(WindowHandle window) = 0;

    static WindowState* replace(WindowState* replacement);
};

WindowState& windowState();

}  // namespace platform
