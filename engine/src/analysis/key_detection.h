// Key detection at the finish of a file run: the pitch-class totals of the whole run are matched
// against the major scale, then the candidates are scored as major and minor keys with weight rows.
#pragma once

#include <array>
#include <cstdint>

namespace velt::engine {

struct DetectedKey {
    int keySignature = 0;  // -7..7, + sharps, - flats
    int majorMinor = 0;    // 0 major, 1 minor
};

DetectedKey DetectKey(const std::array<int64_t, 12>& totals, int transpose);

}  // namespace velt::engine
