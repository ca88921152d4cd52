// Each per-frame stage's parameters, built once when the set-up has settled the project: the
// frame path reads them and never maps the settings again (nor allocates to do so).
#pragma once

#include "analysis/chord_naming.h"
#include "analysis/filter_matching.h"
#include "analysis/frame_decisions.h"
#include "analysis/key_measurement.h"
#include "analysis/note_tracker.h"
#include "audio/block_reader.h"
#include "live/live_io.h"
#include "midi/note_mapping.h"

namespace velt::engine {

struct RunState;

struct StageParams {
    BlockLayout blockLayout;    // where a file run's blocks lie
    BlockScaling blockScaling;  // a file run's scaling (a live run takes its threshold anew)
    LiveFrameLayout liveFrame;
    KeyMeasurementParams keyMeasurement;
    PolyDecisionParams polyDecision;
    SingleLineParams singleLine;
    FilterMatchParams filterMatch;
    ChordNamingParams chordNaming;
    TrackerParams tracker;
    NoteMappingParams noteMapping;  // the live output's keys and velocities
};

// Builds state.params from the settled settings, geometry, resonator bank and harmonic table, and
// readies the filter matching for them. The set-up calls it once, before the first event.
void SettleStageParams(RunState& state);

}  // namespace velt::engine
