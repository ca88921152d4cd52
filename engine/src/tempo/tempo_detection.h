// Tempo and metre detection: finds the tempo, the time-signature numerator, the chord resolution
// and the first downbeat of a file run from the audio when the project leaves them open.
#pragma once

namespace velt::engine {

// resolution: the project's resolution exponent (below 0 = automatic). chordRes: in/out.
// Updates the run's tempo, numerator, ChordRes and start point, or ends the run (9.36 / 9.37).
void DetectTempo(double resolution, int& chordRes);

}  // namespace velt::engine
