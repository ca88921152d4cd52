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

// On the run state: names the chord of ring slots 0..run().analysis.slot into the status's chord
// text and adds the histogram to the pitch-class totals of the key detection, as the project asks.
void NameChord();

}  // namespace velt::engine
