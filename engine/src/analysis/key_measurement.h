// Per-frame key measurement: the middle-window energy of every key in the bank, the candidate
// keys (strict local peaks) with their fine pitch, and the run's tuning accumulators.
#pragma once

#include <span>

#include "analysis/resonator_bank.h"

namespace velt::engine {

struct KeyMeasurementParams {
    int lowKey = 0;               // lowest candidate key
    int keyMax = kKeyCount - 1;   // highest candidate key with fine pitch; above it (up to the
                                  // bank's harmonic top) only levels, for the single line's walk
    double candidateFloor = 0.5;  // energy units (a full-scale sine at a key's pitch gives ~127)
};

// The detuning heard so far: the energy-weighted sum of the candidates' offsets in semitones.
struct TuningTotals {
    double sum = 0;
    double weight = 0;
};

// Measures one frame: bank.energies receives every key's middle-window energy; levels and bends
// (indexed by key, the bank's keys cleared first) receive the candidates' energies and their fine
// pitch in 1/32 semitone; the candidates add to the tuning totals.
void MeasureFrameKeys(const KeyMeasurementParams& params, ResonatorBank& bank,
                      const FrameView& frame, std::span<float> levels, std::span<float> bends,
                      TuningTotals& tuning);

// A drum run's level of its one key from the block's peak sample (16-bit scale): peak / 256.
int DrumKeyLevel(int peak);

// Measures a drum run's onset block: the key's note level is DrumKeyLevel(peak), its bend 0. A key
// outside the rows is left alone.
void MeasureDrumKey(int key, int peak, std::span<int> noteLevels, std::span<float> bends);

}  // namespace velt::engine
