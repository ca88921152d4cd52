// AutoTiming in a file run: the MIDI writer shows every event to the run's note-on rhythm meter
// (tempo/auto_timing_meter.h) before writing it, and the finish turns what it measured into the
// tempo of the file. Time is counted in tracker ticks: 2^s analysis hops, 24 MIDI ticks each.
#pragma once

namespace velt::engine {

// Set-up of a file run with AutoTiming: a ring of bins for three seconds of ticks (6.45 when it
// cannot be allocated).
void PrepareAutoTiming();

// delta: the event's accumulator of ticks (leading silence is cleared here until the first note;
// its length moves the start time on).
void CountBeatIntervals(int& delta, int status, int velocity);

// Finish: the measured tempo replaces the nominal one in the status, and the header's timing is
// rescaled by nominal / measured so that the notes keep their times. Tempo factor 1 otherwise.
void CorrectAutoTimingTempo();

}  // namespace velt::engine
