#include "platform/posix/posix_system.h"
#include "tests/support/scratch_window.h"

namespace testing_support {

ScratchWindow::ScratchWindow(bool visible) : handle_(new platform::posix::Window{visible}) {}

ScratchWindow::~ScratchWindow() { delete static_cast<platform::posix::Window*>(handle_); }

}  // namespace testing_support
