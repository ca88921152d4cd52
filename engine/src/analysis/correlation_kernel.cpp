#include "correlation_kernel.h"

namespace velt::engine {

// Compiled for several instruction sets; the loader picks the widest the machine has. Integer
// sums are associative, so the vectorised loops are bit-identical to the plain one.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VELT_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define VELT_CLONES
#endif

Correlation correlateReference(const int16_t* sine, const int16_t* cosine, const int32_t* x,
                               int n) {
    Correlation sums;
    for (int e = 0; e < n; ++e) {
        sums.sine += int64_t{sine[e]} * x[e];
        sums.cosine += int64_t{cosine[e]} * x[e];
    }
    return sums;
}

VELT_CLONES Correlation correlateNarrow(const int16_t* __restrict sine,
                                        const int16_t* __restrict cosine,
                                        const int16_t* __restrict x, int n) {
    // |entry| <= 32767 and |sample| <= 32768, so each product fits 32 bits.
    int64_t s = 0;
    int64_t c = 0;
    for (int e = 0; e < n; ++e) {
        s += int32_t{sine[e]} * x[e];
        c += int32_t{cosine[e]} * x[e];
    }
    return {s, c};
}

VELT_CLONES Correlation correlateWide(const int16_t* __restrict sine,
                                      const int16_t* __restrict cosine, const int32_t* __restrict x,
                                      int n) {
    int64_t s = 0;
    int64_t c = 0;
    for (int e = 0; e < n; ++e) {
        s += int64_t{sine[e]} * x[e];
        c += int64_t{cosine[e]} * x[e];
    }
    return {s, c};
}

}  // namespace velt::engine
