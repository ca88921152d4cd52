#include "correlation_kernel.h"

#include <algorithm>

namespace velt::engine {

// Compiled for several instruction sets; the loader picks the widest the machine has. Integer
// sums are associative, so the vectorised loops are bit-identical to the plain one.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VELT_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define VELT_CLONES
#endif

namespace {

constexpr int kChunk = 256;  // products summed in 32 bits before they move to 64 bits

// One window over Planes byte planes; the per-plane sums are combined with their weights.
template <int Planes>
[[gnu::always_inline]] inline Correlation correlate(const int16_t* __restrict sine,
                                                    const int16_t* __restrict cosine,
                                                    const int16_t* const* plane, int n) {
    const int16_t* __restrict p0 = plane[0];
    const int16_t* __restrict p1 = plane[1];
    const int16_t* __restrict p2 = Planes > 2 ? plane[2] : plane[1];
    const int16_t* __restrict p3 = Planes > 3 ? plane[3] : plane[1];
    int64_t s[4] = {};
    int64_t c[4] = {};
    for (int base = 0; base < n; base += kChunk) {
        const int end = std::min(n, base + kChunk);
        int32_t s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        int32_t c0 = 0, c1 = 0, c2 = 0, c3 = 0;
        for (int e = base; e < end; ++e) {
            const int32_t t = sine[e];
            const int32_t u = cosine[e];
            s0 += t * p0[e];
            c0 += u * p0[e];
            s1 += t * p1[e];
            c1 += u * p1[e];
            if constexpr (Planes > 2) {
                s2 += t * p2[e];
                c2 += u * p2[e];
            }
            if constexpr (Planes > 3) {
                s3 += t * p3[e];
                c3 += u * p3[e];
            }
        }
        s[0] += s0, s[1] += s1, s[2] += s2, s[3] += s3;
        c[0] += c0, c[1] += c1, c[2] += c2, c[3] += c3;
    }
    Correlation sums;
    for (int k = Planes - 1; k >= 0; --k) {
        sums.sine = sums.sine * 256 + s[k];
        sums.cosine = sums.cosine * 256 + c[k];
    }
    return sums;
}

VELT_CLONES Correlation correlate2(const int16_t* sine, const int16_t* cosine,
                                   const int16_t* const* plane, int n) {
    return correlate<2>(sine, cosine, plane, n);
}

VELT_CLONES Correlation correlate3(const int16_t* sine, const int16_t* cosine,
                                   const int16_t* const* plane, int n) {
    return correlate<3>(sine, cosine, plane, n);
}

VELT_CLONES Correlation correlate4(const int16_t* sine, const int16_t* cosine,
                                   const int16_t* const* plane, int n) {
    return correlate<4>(sine, cosine, plane, n);
}

}  // namespace

Correlation correlateReference(const int16_t* sine, const int16_t* cosine, const int32_t* x,
                               int n) {
    Correlation sums;
    for (int e = 0; e < n; ++e) {
        sums.sine += int64_t{sine[e]} * x[e];
        sums.cosine += int64_t{cosine[e]} * x[e];
    }
    return sums;
}

int planesFor(int32_t smallest, int32_t largest) {
    if (smallest >= -(1 << 15) && largest < (1 << 15)) return 2;
    if (smallest >= -(1 << 23) && largest < (1 << 23)) return 3;
    return 4;
}

VELT_CLONES void splitIntoPlanes(const int32_t* __restrict x, int n, int count,
                                 int16_t* __restrict out) {
    const int top = count - 1;
    for (int k = 0; k < top; ++k) {
        int16_t* __restrict plane = out + size_t(k) * n;
        for (int i = 0; i < n; ++i) plane[i] = static_cast<int16_t>((x[i] >> (8 * k)) & 0xFF);
    }
    int16_t* __restrict plane = out + size_t(top) * n;
    for (int i = 0; i < n; ++i) plane[i] = static_cast<int16_t>(x[i] >> (8 * top));
}

Correlation correlatePlanes(const int16_t* sine, const int16_t* cosine, const SamplePlanes& planes,
                            int n) {
    switch (planes.count) {
        case 2:
            return correlate2(sine, cosine, planes.plane, n);
        case 3:
            return correlate3(sine, cosine, planes.plane, n);
        default:
            return correlate4(sine, cosine, planes.plane, n);
    }
}

VELT_CLONES void sampleRange(const int32_t* __restrict x, int n, int32_t& smallest,
                             int32_t& largest) {
    int32_t lo = 0;
    int32_t hi = 0;
    for (int i = 0; i < n; ++i) {
        lo = x[i] < lo ? x[i] : lo;
        hi = x[i] > hi ? x[i] : hi;
    }
    smallest = lo;
    largest = hi;
}

}  // namespace velt::engine
