// The inner loop of the key measurement: one window's sine and cosine correlation with the frame.
// All sums are exact integers, so every variant gives the same result as the plain loop.
#pragma once

#include <cstdint>

namespace velt::engine {

struct Correlation {
    int64_t sine = 0;
    int64_t cosine = 0;
};

// The plain loop: 64-bit products and sums over n entries. The reference the fast path is
// tested against.
Correlation correlateReference(const int16_t* sine, const int16_t* cosine, const int32_t* x, int n);

// A frame split into byte planes: x = sum of plane[k] x 256^k, the lower planes holding 0..255
// and the top plane the signed rest (-128..127). Two planes hold 16-bit samples, four any 32-bit
// sample. Products of a table entry (|entry| <= 32767) with a plane value fit 24 bits, so 256 of
// them sum exactly in 32 bits: the loops run as 16-bit multiply-adds, which vectorise well.
constexpr int kMaxPlanes = 4;

struct SamplePlanes {
    const int16_t* plane[kMaxPlanes] = {};
    int count = 0;  // 2, 3 or 4
};

// Planes needed for samples between smallest and largest.
int planesFor(int32_t smallest, int32_t largest);

// Splits n samples into count planes of n values each, stored one after the other in out.
void splitIntoPlanes(const int32_t* x, int n, int count, int16_t* out);

Correlation correlatePlanes(const int16_t* sine, const int16_t* cosine, const SamplePlanes& planes,
                            int n);

// The smallest and largest of n samples (0 included).
void sampleRange(const int32_t* x, int n, int32_t& smallest, int32_t& largest);

}  // namespace velt::engine
