// Until the detection itself is built, only a project that gives the tempo, the numerator and the
// chord resolution can be converted; the others end with "too little to detect the timing".
#include "tempo/tempo_detection.h"

#include "run_state.h"

namespace velt::engine {

void DetectTempo(double, int& chordRes) {
    const RunState& state = run();
    if (state.settings.TempoDetect == 0 && chordRes != 0 && state.status.numerator != 0) return;
    FinishRun(9, 36);
}

}  // namespace velt::engine
