#include "platform/posix/posix_system.h"
#include "platform/window_state.h"

namespace platform {
namespace {

class PosixWindowState final : public WindowState {
public:
    bool isWindowVisible(WindowHandle window) override { return window && static_cast<const posix::Window*>(window)->visible; }
};

}  // namespace

WindowState& systemWindowState() {
    static PosixWindowState instance;
    return instance;
}

}  // namespace platform
