#include "midi/auto_timing.h"

#include <cmath>
#include <new>

#include "driver/run_state.h"
#include "tempo/auto_timing_meter.h"

namespace velt::engine {

namespace {

// Length of one tracker tick in seconds.
double tickSeconds(const Geometry& g) {
    return g.hopSamples * std::pow(2.0, g.subdivisionExp) / g.sampleRate;
}

}  // namespace

void PrepareAutoTiming() {
    RunState& state = run();
    const double bins = std::trunc(3 / tickSeconds(state.geo));
    try {
        state.midi.autoTiming.reset(std::isfinite(bins) && bins < 1e7 ? int(bins) : 1);
    } catch (const std::bad_alloc&) {
        throw StageFailure{{kOutOfMemory, memory_detail::kAutoTimingBins}};
    }
}

void CountBeatIntervals(int& delta, int status, int velocity) {
    RunState& state = run();
    const int64_t leading = state.midi.autoTiming.observe(delta, status, velocity);
    if (leading > 0) state.status.startTime += float(leading * tickSeconds(state.geo));
}

void CorrectAutoTimingTempo() {
    RunState& state = run();
    state.geo.tempoFactor = 1;
    if (state.settings.AutoTiming != 1) return;
    const TempoCorrection correction =
        CorrectTempo(state.status.tempo, state.midi.autoTiming, tickSeconds(state.geo));
    if (!std::isfinite(correction.tempo) || correction.tempo <= 0) return;
    state.geo.tempoFactor = correction.factor;
    state.status.tempo = correction.tempo;
}

}  // namespace velt::engine
