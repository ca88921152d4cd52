// Beat period from an onset list: a histogram of onset distances, smoothed by a half-sine kernel,
// and the lag of its largest peak.
//
// All lags are in tempo frames (11025 per second, see onset_scan.h).
// - The histogram counts every pair of onsets closer than 33,311 frames (about 3 s).
// - The kernel is a half sine of 471 taps (about 43 ms, one onset chunk), scaled to 441,800.
// - The smoothed value at lag c sums kernel x histogram over c - 235 ... c + 235; it is defined for
//   c = 229 ... 33,075 and counts as 0 elsewhere. Sums are 64-bit: a long piece with many onsets
//   overflows 32 bits.
// - The period is the lag of the largest smoothed value between 2,756 and 22,050 (240 down to
//   30 BPM), the earliest on ties, and none when no value there is positive; it is then folded once
//   into 5,512 ... 11,024 (60 to 120 BPM) by doubling or halving.
#pragma once

#include <cstdint>
#include <vector>

namespace velt::engine {

constexpr int kDistanceBins = 33311;
constexpr int kKernelTaps = 471;
constexpr int kKernelHalf = 235;
constexpr int kFirstSmoothedLag = 229;  // centre of the first start lag, -6
constexpr int kLastSmoothedLag = 33075;
constexpr int kShortestPeriod = 2756;  // 240 BPM
constexpr int kLongestPeriod = 22050;  // 30 BPM
constexpr int kFoldLow = 5512;         // below: doubled
constexpr int kFoldHigh = 11024;       // above: halved

// Distance histogram of the onsets (in time order); kDistanceBins bins.
std::vector<int32_t> OnsetDistanceHistogram(const std::vector<int32_t>& onsets);

// The kernel taps K[0 ... 470].
const std::vector<int32_t>& HalfSineKernel();

class SmoothedHistogram {
  public:
    SmoothedHistogram() = default;  // empty: every lag reads 0
    explicit SmoothedHistogram(const std::vector<int32_t>& histogram);

    // The smoothed value at a lag; 0 outside the smoothed range.
    int64_t at(int64_t lag) const;

    // The lag of the largest positive value in the period range, or 0 when there is none.
    int peakPeriod() const;

  private:
    std::vector<int64_t> values_;  // index = lag - kFirstSmoothedLag
};

// Folds a period into the 60 ... 120 BPM range, once.
int FoldPeriod(int period);

}  // namespace velt::engine
