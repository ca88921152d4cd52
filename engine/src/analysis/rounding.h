// The engine's rounding and float-to-int conversions. Conversions saturate at the int32 limits
// (NaN gives 0) so that no unusual level or bend can turn into undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace velt::engine {

// trunc(x), saturated to int32.
inline int32_t truncToInt(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (x <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(x);
}

// The engine's round: trunc(x + 0.5).
inline int32_t roundHalfUp(double x) {
    return truncToInt(x + 0.5);
}

// Rounds half away from zero (window tables and test tones).
inline int32_t roundAway(double x) {
    return truncToInt(x > 0 ? x + 0.5 : x - 0.5);
}

}  // namespace velt::engine
