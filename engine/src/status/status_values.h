// The values the status line reports: the run keeps them up to date and the status file shows them.
#pragma once

#include <string>

namespace velt::engine {

// The first thirteen fields of the status line and the chord text.
struct StatusValues {
    float value = 0;  // progress, live peak, 100000 or a negative outcome
    int lowestKey = 128;
    int highestKey = -1;
    int keySignature = 8;
    int majorMinor = 0;
    double tempo = 120;
    float resolution = -1;
    float startTime = 0;
    int chordRes = 0;
    int numerator = 0;
    int startedKey = 0;     // key of the note just started, 0 = none
    float startedBend = 0;  // its bend in 1/32 semitone (field 12 adds 64)
    double referencePitch = 440;
    std::string chordText = "N/C";  // at most 5 characters
};

}  // namespace velt::engine
