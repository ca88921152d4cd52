// AutoTiming in a file run: the MIDI writer shows every event to its note-on rhythm meter
// (tempo/auto_timing_meter.h) before writing it, and the finish turns what it measured into the
// tempo of the file. Time is counted in tracker ticks: 2^s analysis hops, 24 MIDI ticks each.
#pragma once

#include <optional>

#include "tempo/auto_timing_meter.h"

namespace velt::engine {

// Seconds of one tracker tick: 2^subdivisionExp hops of hopSamples at sampleRate (Hz).
double TrackerTickSeconds(double hopSamples, int subdivisionExp, double sampleRate);

// A meter for a file run: a ring of bins for three seconds of ticks. Throws StageFailure 6.45
// when the bins cannot be had.
AutoTimingMeter MakeAutoTimingMeter(double tickSeconds);

// The finish: the measured tempo (BPM) that replaces the nominal one, and the factor nominal /
// measured that rescales the header's timing so that the notes keep their times. Nothing when
// the meter has no usable measurement: the nominal tempo stands with factor 1.
std::optional<TempoCorrection> MeasuredTempo(double nominalTempo, const AutoTimingMeter& meter,
                                             double tickSeconds);

}  // namespace velt::engine
