#include "midi/auto_timing.h"

#include <cmath>
#include <new>

#include "run_outcomes.h"

namespace velt::engine {

double TrackerTickSeconds(double hopSamples, int subdivisionExp, double sampleRate) {
    return hopSamples * std::pow(2.0, subdivisionExp) / sampleRate;
}

AutoTimingMeter MakeAutoTimingMeter(double tickSeconds) {
    const double bins = std::trunc(3 / tickSeconds);
    try {
        return AutoTimingMeter(std::isfinite(bins) && bins < 1e7 ? int(bins) : 1);
    } catch (const std::bad_alloc&) {
        throw StageFailure{{kOutOfMemory, memory_detail::kAutoTimingBins}};
    }
}

std::optional<TempoCorrection> MeasuredTempo(double nominalTempo, const AutoTimingMeter& meter,
                                             double tickSeconds) {
    const TempoCorrection correction = CorrectTempo(nominalTempo, meter, tickSeconds);
    if (!std::isfinite(correction.tempo) || correction.tempo <= 0) return std::nullopt;
    return correction;
}

}  // namespace velt::engine
