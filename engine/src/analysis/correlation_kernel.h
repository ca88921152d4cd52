// The inner loop of the key measurement: one window's sine and cosine correlation with the frame.
// All sums are exact integers, so every variant gives the same result as the plain loop.
#pragma once

#include <cstdint>

namespace velt::engine {

struct Correlation {
    int64_t sine = 0;
    int64_t cosine = 0;
};

// The plain loop: 64-bit products and sums over n entries. The reference the fast paths are
// tested against.
Correlation correlateReference(const int16_t* sine, const int16_t* cosine, const int32_t* x, int n);

// Fast path for frames whose samples all fit 16 bits (the normal case).
Correlation correlateNarrow(const int16_t* sine, const int16_t* cosine, const int16_t* x, int n);

// Fast path for frames with wider samples.
Correlation correlateWide(const int16_t* sine, const int16_t* cosine, const int32_t* x, int n);

}  // namespace velt::engine
