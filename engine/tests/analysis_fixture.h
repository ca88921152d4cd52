// Sets up the run state the key measurement and decisions read, without project reading.
#pragma once

#include <cmath>

#include "analysis/analysis_api.h"
#include "driver/run_state.h"

namespace velt::engine::testing {

inline void setUpPitchedRun(int rate, int keyMin, int keyMax, double reference = 440) {
    resetRun();
    RunState& state = run();
    ProjectSettings& s = state.settings;
    s.KeyMin = keyMin;
    s.KeyMax = keyMax;
    s.ReferencePitch = reference;
    s.PitchMode = 30;
    s.OutputThreshold = 5;
    s.MinimumLength = 2;
    s.KeyMin0 = keyMin;
    s.KeyMax0 = keyMax;
    s.Track0 = 0;
    s.Poly0 = 30;
    Geometry& g = state.geo;
    g.sampleRate = rate;
    g.LowKey = keyMin;
    g.TopKey = keyMax;
    g.hopSamples = rate / 64.0;
    g.partChannel = 0;
    // Seventeen periods of a pitch 4/3 semitone below the lowest key, as the run set-up sizes it.
    g.blockLength =
        static_cast<int>(17.0 * rate / (reference * std::pow(2.0, (keyMin - 4.0 / 3 - 69) / 12)));
    state.analysis.samples.assign(g.blockLength + 2, 0);
    state.analysis.slot = 0;
    BuildHarmonicTable();
    BuildResonatorBank();
}

// Fills the frame with a sine (samples 1..block length).
inline void fillSine(double frequency, double amplitude, double phase = 0) {
    RunState& state = run();
    auto& x = state.analysis.samples;
    for (int m = 0; m < state.geo.blockLength; ++m) {
        double v =
            amplitude * std::sin(6.2831853071796 * frequency * m / state.geo.sampleRate + phase);
        x[m + 1] = static_cast<int>(v > 0 ? v + 0.5 : v - 0.5);
    }
}

inline double keyFrequency(double key, double reference = 440) {
    return reference * std::pow(2.0, (key - 69) / 12);
}

}  // namespace velt::engine::testing
