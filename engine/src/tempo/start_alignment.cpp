#include "tempo/start_alignment.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velt::engine {

namespace {

// An onset missing on one side of a grid point counts as this far away on that side.
constexpr int64_t kMissingOnset = std::numeric_limits<int32_t>::max();

int64_t roundedDistance(double distance) {
    return static_cast<int64_t>(std::trunc(distance + 0.5));
}

}  // namespace

int64_t AlignStart(const std::vector<int32_t>& onsets, double unit) {
    if (onsets.empty() || !(unit > 0)) return onsets.empty() ? 0 : onsets.front();
    const double first = onsets.front();
    const double span = static_cast<double>(onsets.back()) - first;
    const int64_t points = static_cast<int64_t>(std::trunc(span / unit));
    const int64_t from = static_cast<int64_t>(std::trunc(first - unit / 2 + 1));
    const int64_t to = static_cast<int64_t>(std::trunc(first + unit / 2));

    int64_t bestStart = from;
    int64_t bestTotal = std::numeric_limits<int64_t>::max();
    for (int64_t start = from; start <= to; ++start) {
        int64_t total = 0;
        size_t after = 0;  // first onset at or after the grid point; points only move forward
        for (int64_t k = 0; k <= points; ++k) {
            const double point = start + k * unit;
            while (after < onsets.size() && onsets[after] < point) ++after;
            const int64_t below =
                after > 0 ? roundedDistance(point - onsets[after - 1]) : kMissingOnset;
            const int64_t above =
                after < onsets.size() ? roundedDistance(onsets[after] - point) : kMissingOnset;
            total += std::min(below, above);
        }
        if (total < bestTotal) {
            bestTotal = total;
            bestStart = start;
        }
    }
    return bestStart;
}

}  // namespace velt::engine
