#include "tempo/metre.h"

namespace velt::engine {

bool IsGridNumerator(int numerator) {
    switch (numerator) {
        case 2:
        case 3:
        case 4:
        case 6:
        case 8:
        case 12:
            return true;
        default:
            return false;
    }
}

int DetectNumerator(const SmoothedHistogram& smoothed, int period) {
    const int64_t twoBeats = smoothed.at(2 * static_cast<int64_t>(period));
    const int64_t threeBeats = smoothed.at(3 * static_cast<int64_t>(period));
    return threeBeats <= twoBeats ? 4 : 3;
}

BarSplits BarSplitsFor(int numerator) {
    switch (numerator) {
        case 2:
            return {1, false};
        case 3:
            return {1, true};
        case 4:
            return {2, false};
        case 6:
            return {2, true};
        case 8:
            return {3, false};
        case 12:
            return {3, true};
        default:
            return {0, false};
    }
}

int SettleChordRes(int chordRes, int numerator) {
    if (numerator < 1) return chordRes;
    if (chordRes == 0) return numerator % 2 != 0 ? numerator : numerator / 2;
    if (chordRes % numerator != 0 && numerator % chordRes != 0) return numerator;
    return chordRes;
}

}  // namespace velt::engine
