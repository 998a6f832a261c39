#include "app/progress_cancel.h"

#include "engine/run_state.h"

namespace app {

bool progressCanBeCancelled() { return !engine::runState().RemovalMode; }

void requestCancel() {
    // A disabled Cancel is not enough to keep a removal going: the close box sends the same
    // command, which Windows' dialog manager drops while Cancel is disabled and Wine's sends
    // all the same. The mode is asked again here, whatever the system's dialog manager does.
    if (progressCanBeCancelled()) engine::runState().cancelRequested = 1;
}

}  // namespace app
