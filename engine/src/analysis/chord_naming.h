// Chord naming: the pitch-class histogram of the frames in the chord ring, correlated with the
// triads (and their extensions) of the project's key; the best match names the chord.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "analysis/analysis_types.h"

namespace velt::engine {

// The pitch-class histogram of the ring: the levels of keys keyMin..topKey summed over the slots
// 0..lastSlot of the frame history (kSlotCount cells per key), by key modulo 12.
std::array<int64_t, 12> RingHistogram(std::span<const HistoryCell> history, int lastSlot,
                                      int keyMin, int topKey);

// Names the chord of a pitch-class histogram in the given key (signature -7..7, 8 = none;
// minor 0 or 1), spelled after transposition; "N/C" when the histogram names nothing.
std::string ChordName(const std::array<int64_t, 12>& histogram, int keySignature, int minor,
                      int transpose);

// What the chord naming of a run asks for.
struct ChordNamingParams {
    bool enabled = true;         // false: drum runs, and live runs of one line, name no chords
    int keyMin = 0;              // lowest key summed
    int topKey = kKeyCount - 1;  // highest key summed
    bool keyTotals = true;       // add the histogram to the key detection's pitch-class totals
    bool nameChord = true;       // name the chord (not while the timing comes from the notes)
    int keySignature = 8;        // -7..7, 8 = none
    int minor = 0;               // 0 major, 1 minor
    int transpose = 0;           // semitones added before the name is spelled
};

// Names the chord of ring slots 0..lastSlot (clamped to the ring) into chordText and adds the
// histogram to totals, as the parameters ask; both are left alone when naming is not enabled.
void NameRingChord(const ChordNamingParams& params, std::span<const HistoryCell> history,
                   int lastSlot, std::array<int64_t, 12>& totals, std::string& chordText);

}  // namespace velt::engine
