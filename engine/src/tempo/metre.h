// Metre decisions: the time-signature numerator from the smoothed onset-distance histogram, the
// splits that build one bar's grid for a numerator, and the chord resolution that fits it.
#pragma once

#include "tempo/beat_period.h"

namespace velt::engine {

// Numerators whose bar grid is known (2, 3, 4, 6, 8, 12); others are detected again.
bool IsGridNumerator(int numerator);

// 3 when onsets three beats apart outweigh those two beats apart, else 4. period: one beat.
int DetectNumerator(const SmoothedHistogram& smoothed, int period);

// How a bar of a grid numerator is split into beats: `levels` splits, the first ternary or not.
struct BarSplits {
    int levels = 0;
    bool firstTernary = false;
};
BarSplits BarSplitsFor(int numerator);

// ChordRes, in notes of the resolution: 0 becomes N for odd N and N / 2 for even N; a value that
// neither is a multiple of N nor divides N becomes N. numerator is at least 1.
int SettleChordRes(int chordRes, int numerator);

}  // namespace velt::engine
