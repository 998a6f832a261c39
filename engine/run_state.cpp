#include "engine/run_state.h"

namespace engine {
namespace {
RunState state;
}  // namespace

RunState& runState() { return state; }

void resetRunState() { state = RunState{}; }

}  // namespace engine
