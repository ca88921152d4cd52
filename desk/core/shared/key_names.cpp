#include "desk/core/shared/key_names.h"

#include <array>
#include <cmath>

namespace velt::desk {

namespace {

constexpr std::array<const char*, 15> kMajor = {
    "Cb major (7 flats)", "Gb major (6 flats)",  "Db major (5 flats)", "Ab major (4 flats)",
    "Eb major (3 flats)", "Bb major (2 flats)",  "F major (1 flat)",   "C major",
    "G major (1 sharp)",  "D major (2 sharps)",  "A major (3 sharps)", "E major (4 sharps)",
    "B major (5 sharps)", "F# major (6 sharps)", "C# major (7 sharps)"};

constexpr std::array<const char*, 15> kMinor = {
    "Ab minor (7 flats)",  "Eb minor (6 flats)",  "Bb minor (5 flats)",  "F minor (4 flats)",
    "C minor (3 flats)",   "G minor (2 flats)",   "D minor (1 flat)",    "A minor",
    "E minor (1 sharp)",   "B minor (2 sharps)",  "F# minor (3 sharps)", "C# minor (4 sharps)",
    "G# minor (5 sharps)", "D# minor (6 sharps)", "A# minor (7 sharps)"};

constexpr double kPi = 3.14159265;  // the needle's own value of pi

int16_t toInteger(double v) {
    double r = std::nearbyint(v);  // the default rounding mode rounds halves to even
    if (!(r >= -32768.0)) return -32768;
    if (r > 32767.0) return 32767;
    return static_cast<int16_t>(r);
}

double angle(int16_t last, int16_t first, int16_t i) {
    if (last == first) return 0;
    return kPi / (static_cast<double>(last) - first) * (static_cast<double>(i) - first);
}

}  // namespace

std::string KeyName(int32_t sig, int32_t minor) {
    if (sig < -7 || sig > 7) return "";
    size_t row = static_cast<size_t>(sig + 7);
    return minor != 0 ? kMinor[row] : kMajor[row];
}

int16_t ArcX(int16_t x0, int16_t last, int16_t first, int16_t i) {
    return toInteger(x0 - std::cos(angle(last, first, i)) * 500);
}

int16_t ArcY(int16_t y0, int16_t last, int16_t first, int16_t i) {
    return toInteger(y0 - std::sin(angle(last, first, i)) * 500 - 60);
}

}  // namespace velt::desk
