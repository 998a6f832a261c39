#pragma once

#include "engine/run_state.h"
#include "platform/seam.h"

namespace testing_support {

// A run state of the test's own in place of the process's while it lives, so that each test
// starts from what a new process starts with and leaves the process's as it found it.
class FreshRunState {
public:
    FreshRunState() : scope_(state_) {}

    // Back to a new process's state, for a test that runs several cases in one body.
    void startOver() { state_ = engine::RunState{}; }

private:
    engine::RunState state_;
    platform::ScopedService<engine::RunState> scope_;
};

}  // namespace testing_support
