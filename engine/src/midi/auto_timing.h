// AutoTiming bookkeeping of the MIDI writer: the distances between note onsets, weighted by the
// velocities around them, from which the finish measures the played tempo. Called for every
// event of a file run with AutoTiming on, before the event is written.
#pragma once

namespace velt::engine {

// delta: the event's accumulator of hops (leading silence is cleared here until the first note).
void CountBeatIntervals(int& delta, int status, int velocity);

}  // namespace velt::engine
