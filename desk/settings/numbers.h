// Number conversions of the settings dialog. The classic conversions round halves to even and
// fail on values that do not fit; here they saturate instead (a damaged project value gives the
// nearest representable number, never a failure), and a value that is not a number gives 0.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace velt::desk {

template <class T>
T saturatedRound(double v) {
    if (std::isnan(v)) return 0;
    double r = std::nearbyint(v);  // the default rounding mode rounds halves to even
    if (r <= static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (r >= static_cast<double>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(r);
}

// CLng: a 32-bit Long.
inline int32_t ToLong(double v) {
    return saturatedRound<int32_t>(v);
}
// CInt: a 16-bit Integer.
inline int16_t ToInteger(double v) {
    return saturatedRound<int16_t>(v);
}
// Int: the floor, saturated to a Long.
inline int32_t FloorLong(double v) {
    return saturatedRound<int32_t>(std::floor(v));
}

}  // namespace velt::desk
