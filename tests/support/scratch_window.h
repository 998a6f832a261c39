#pragma once

#include "platform/window_state.h"

namespace testing_support {

// A top-level window of the system for one test, shown or hidden, destroyed with the object.
// The updater makes no such window: this is how tests give the diagnostic registry one.
class ScratchWindow {
public:
    explicit ScratchWindow(bool visible);
    ~ScratchWindow();
    ScratchWindow(const ScratchWindow&) = delete;
    ScratchWindow& operator=(const ScratchWindow&) = delete;

    platform::WindowHandle handle() const { return handle_; }

private:
    platform::WindowHandle handle_;
};

}  // namespace testing_support
