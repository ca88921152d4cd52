// Key signature names and the points of the level meter's needle.
#pragma once

#include <cstdint>
#include <string>

namespace velt::desk {

// "Eb major (3 flats)" for -3 and major; sig -7..7 (flats negative), minor 0 or 1. Any other
// signature gives "".
std::string KeyName(int32_t sig, int32_t minor);

// Point i of (last - first) steps on a half circle of radius 500 around (x0, y0): x0 - cos(a)*500
// and y0 - sin(a)*500 - 60 with a = pi / (last - first) * (i - first), rounded to the nearest
// integer (halves to even) and held to the 16-bit range. last = first gives the first point.
int16_t ArcX(int16_t x0, int16_t last, int16_t first, int16_t i);
int16_t ArcY(int16_t y0, int16_t last, int16_t first, int16_t i);

}  // namespace velt::desk
