#include "engine/run_state.h"

namespace engine {
namespace {
RunState processState;
RunState* replacement = nullptr;
}  // namespace

RunState& runState() { return replacement ? *replacement : processState; }

RunState* RunState::replace(RunState* state) {
    RunState* previous = replacement;
    replacement = state;
    return previous;
}

}  // namespace engine
