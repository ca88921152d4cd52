// The arithmetic of tempo tapping: which gaps a take keeps, the tempo of a run of taps, the
// number the tempo box shows, the two-byte gaps of the tap buffer, and the padding that extends
// the taps back to the start of the audio. Pure functions, so the dialog's handlers stay short.
//
// A gap of 0 ms (two taps in the same millisecond) would make the tempo formula divide by zero:
// the later tap is ignored. A gap of 65535 ms or more ends the take: stored, 0xFFFF is the
// engine's "keep the nominal hop" mark, so the longest gap a take keeps is 65534 ms. Every
// conversion from a floating-point number to an integer saturates.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "desk/core/shared/tempo_range.h"

namespace velt::desk {

constexpr int64_t kLongestTapGapMs = 65534;

enum class TapGap { SameMillisecond, Kept, TooLong };
TapGap ClassifyTapGap(int64_t gapMs);

// (taps - 1) beats over `spanMs`, in beats per minute, held to the tempo box's range; nullopt
// for fewer than two taps or a span of 0 ms or less.
std::optional<double> TappedTempo(int64_t taps, int64_t spanMs);

// The tempo box's number for a tempo: rounded half to even, held to the tempo range.
int32_t TempoBoxNumber(double bpm);

// Appends a gap (0..65535 ms) as two characters, low byte first.
void AppendTapGap(std::string& buffer, int64_t gapMs);

// The taps that reach back from `start` seconds (the first tapped beat) to the start of the
// audio, at `tempo` BPM, whole measures of `beatsPerMeasure` beats at a time (beat by beat when
// it is 0 or less): the beats added, the start that results (0 or before it) and their gaps
// (each whole ms, the rounding never adding up beyond half a millisecond).
struct TapPadding {
    int32_t beats = 0;
    float start = 0;
    std::string gaps;
};
TapPadding PadTapsToStart(float start, float tempo, int32_t beatsPerMeasure);

}  // namespace velt::desk
