// The run's tempo detection step: maps the run state to the timing settings and the onset scan's
// params, and puts what the decisions found back into the run (beat, numerator, denominator,
// chord resolution, start).
#pragma once

#include "driver/run_state.h"
#include "tempo/onset_scan.h"
#include "tempo/timing_decision.h"

namespace velt::engine {

// resolution: the resolution exponent set-up goes on with (below 0 = automatic).
TimingSettings TimingSettingsOf(const RunState& state, double resolution);
OnsetScanParams OnsetScanParamsOf(const RunState& state);

// Detects what the project leaves open, from the run's open audio file. A failure ends the run
// (StageFailure 9.36, 9.37, 2.37, 2.38).
void DetectTempo(RunSetUp& setUp, double resolution);

}  // namespace velt::engine
