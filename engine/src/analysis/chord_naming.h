#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace velt::engine {

// Names the chord of a pitch-class histogram in the given key (signature -7..7, 8 = none;
// minor 0 or 1), spelled after transposition; "N/C" when the histogram names nothing.
std::string ChordName(const std::array<int64_t, 12>& histogram, int keySignature, int minor,
                      int transpose);

}  // namespace velt::engine
