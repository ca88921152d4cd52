// Placeholder outcome path until the run driver lands.
#include "run_state.h"

namespace velt::engine {

void FinishRun(int, int) {}

}  // namespace velt::engine
