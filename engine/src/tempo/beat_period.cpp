#include "tempo/beat_period.h"

#include <cmath>

namespace velt::engine {

std::vector<int32_t> OnsetDistanceHistogram(const std::vector<int32_t>& onsets) {
    std::vector<int32_t> histogram(kDistanceBins, 0);
    for (size_t i = 0; i < onsets.size(); ++i) {
        for (size_t j = i + 1; j < onsets.size(); ++j) {
            const int64_t distance = static_cast<int64_t>(onsets[j]) - onsets[i];
            if (distance >= kDistanceBins) break;
            if (distance >= 0) ++histogram[static_cast<size_t>(distance)];
        }
    }
    return histogram;
}

const std::vector<int32_t>& HalfSineKernel() {
    static const std::vector<int32_t> kernel = [] {
        // The constant of pi and the scale are part of the result: they fix the tap values.
        constexpr double kPi = 3.14159265359;
        std::vector<int32_t> taps(kKernelTaps);
        for (int j = 0; j < kKernelTaps; ++j) {
            taps[j] = static_cast<int32_t>(std::trunc(std::sin(j * kPi / 470) * 441800));
        }
        return taps;
    }();
    return kernel;
}

SmoothedHistogram::SmoothedHistogram(const std::vector<int32_t>& histogram) {
    const std::vector<int32_t>& kernel = HalfSineKernel();
    const int64_t bins = static_cast<int64_t>(histogram.size());
    values_.assign(kLastSmoothedLag - kFirstSmoothedLag + 1, 0);
    for (int centre = kFirstSmoothedLag; centre <= kLastSmoothedLag; ++centre) {
        const int64_t start = centre - kKernelHalf;
        int64_t sum = 0;
        for (int j = 0; j < kKernelTaps; ++j) {
            const int64_t bin = start + j;
            if (bin >= 0 && bin < bins) sum += static_cast<int64_t>(kernel[j]) * histogram[bin];
        }
        values_[centre - kFirstSmoothedLag] = sum;
    }
}

int64_t SmoothedHistogram::at(int64_t lag) const {
    if (values_.empty() || lag < kFirstSmoothedLag || lag > kLastSmoothedLag) return 0;
    return values_[static_cast<size_t>(lag - kFirstSmoothedLag)];
}

int SmoothedHistogram::peakPeriod() const {
    int period = 0;
    int64_t best = 0;
    for (int lag = kShortestPeriod; lag <= kLongestPeriod; ++lag) {
        if (at(lag) > best) {
            best = at(lag);
            period = lag;
        }
    }
    return period;
}

int FoldPeriod(int period) {
    if (period < kFoldLow) return period * 2;
    if (period > kFoldHigh) return period / 2;
    return period;
}

}  // namespace velt::engine
