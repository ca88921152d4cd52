#include "driver/stage_params.h"

#include "driver/analysis_steps.h"
#include "driver/audio_input.h"
#include "driver/live_devices.h"
#include "driver/midi_output.h"
#include "driver/run_state.h"

namespace velt::engine {

void SettleStageParams(RunState& state) {
    StageParams& p = state.params;
    p.blockLayout = BlockLayoutOf(state);
    p.blockScaling = BlockScalingOf(state);
    p.liveFrame = LiveFrameLayoutOf(state);
    p.keyMeasurement = KeyMeasurementParamsOf(state);
    p.polyDecision = PolyDecisionParamsOf(state);
    p.singleLine = SingleLineParamsOf(state);
    p.filterMatch = FilterMatchParamsOf(state);
    p.chordNaming = ChordNamingParamsOf(state);
    p.tracker = TrackerParamsOf(state);
    p.noteMapping = NoteMappingParamsOf(state);
    if (state.geo().filterInUse) PrepareFilterMatching(p.filterMatch, state.analysis.filter);
}

}  // namespace velt::engine
