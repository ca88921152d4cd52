#include "driver/run_state.h"

namespace velt::engine {

RunState& run() {
    static RunState state;
    return state;
}

void resetRun() { run() = RunState{}; }

}  // namespace velt::engine
