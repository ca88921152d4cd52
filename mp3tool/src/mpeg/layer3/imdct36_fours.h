// The baseline build's 36-point IMDCT: four subbands side by side, one in each lane of a
// vector of four floats (the width of the baseline's vector unit), in O(n log n). Inline, so
// that the filterbank's baseline build gets it whole.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

namespace velt::mpeg::layer3::fours {

using Floats4 = float __attribute__((vector_size(16)));
using Ints4 = std::int32_t __attribute__((vector_size(16)));

// Transposes four rows of four floats in place.
[[gnu::always_inline]] inline void transpose4(Floats4* r) {
    const Floats4 t0 = __builtin_shufflevector(r[0], r[1], 0, 4, 1, 5);
    const Floats4 t1 = __builtin_shufflevector(r[0], r[1], 2, 6, 3, 7);
    const Floats4 t2 = __builtin_shufflevector(r[2], r[3], 0, 4, 1, 5);
    const Floats4 t3 = __builtin_shufflevector(r[2], r[3], 2, 6, 3, 7);
    r[0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    r[1] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    r[2] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    r[3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

// Lines k = 0..17 of four consecutive subbands (starting at `lines`), subband j in lane j.
[[gnu::always_inline]] inline void lanesOfSubbands(const float* lines, Floats4* x) {
    for (int at = 0; at < 16; at += 4) {
        Floats4 r[4];
        for (int j = 0; j < 4; ++j) std::memcpy(&r[j], lines + 18 * j + at, sizeof r[j]);
        transpose4(r);
        for (int j = 0; j < 4; ++j) x[at + j] = r[j];
    }
    for (int k = 16; k < 18; ++k) {
        x[k] = Floats4{lines[k], lines[18 + k], lines[36 + k], lines[54 + k]};
    }
}

// The factors of the fast 36-point transform.
struct FastImdctFactors {
    float pre[18];     // 1 / (2 cos(pi (2n + 1) / 72)): the DCT-IV from a DCT-II
    float split[9];    // 1 / (2 cos(pi (2n + 1) / 36)): the odd half of the 18-point DCT-II
    float dct9[9][4];  // cos(pi (2n + 1) k / 18), n = 0..3: the 9-point DCT-II

    FastImdctFactors() {
        const double pi = std::numbers::pi;
        for (int n = 0; n < 18; ++n)
            pre[n] = static_cast<float>(0.5 / std::cos(pi * (2 * n + 1) / 72.0));
        for (int n = 0; n < 9; ++n)
            split[n] = static_cast<float>(0.5 / std::cos(pi * (2 * n + 1) / 36.0));
        for (int k = 0; k < 9; ++k)
            for (int n = 0; n < 4; ++n)
                dct9[k][n] = static_cast<float>(std::cos(pi * (2 * n + 1) * k / 18.0));
    }
};

inline const FastImdctFactors& fastImdctFactors() {
    static const FastImdctFactors f;
    return f;
}

// The 9-point DCT-II y[k] = sum_n a[n] cos(pi (2n + 1) k / 18): inputs n and 8 - n share their
// cosines but for the sign (-1)^k, and the middle one's is cos(pi k / 2).
[[gnu::always_inline]] inline void dct9(const Floats4* a, Floats4* y, const float (*c)[4]) {
    Floats4 s[4];
    Floats4 d[4];
    for (int n = 0; n < 4; ++n) {
        s[n] = a[n] + a[8 - n];
        d[n] = a[n] - a[8 - n];
    }
    y[0] = (s[0] + s[1]) + (s[2] + s[3]) + a[4];
    for (int k = 2; k < 9; k += 2) {
        const Floats4 sum = (s[0] * c[k][0] + s[1] * c[k][1]) + (s[2] * c[k][2] + s[3] * c[k][3]);
        y[k] = (k & 2) ? sum - a[4] : sum + a[4];
    }
    for (int k = 1; k < 9; k += 2) {
        y[k] = (d[0] * c[k][0] + d[1] * c[k][1]) + (d[2] * c[k][2] + d[3] * c[k][3]);
    }
}

// The 36-point IMDCT of four subbands side by side, in O(n log n): its 36 outputs are the
// 18-point DCT-IV X[m] = sum_k x[k] cos(pi (2m + 1)(2k + 1) / 72), mirrored; the DCT-IV is
// X[m] = W[m] + W[m + 1] with W the DCT-II of x[n] / (2 cos(pi (2n + 1) / 72)) (W[18] = 0);
// the 18-point DCT-II splits, as in Lee's recursion, into 9-point ones of the sums and the
// scaled differences of its mirrored inputs. Gives outputs 0..17 and 18..35.
[[gnu::always_inline]] inline void fastImdct36Fours(const Floats4* x, Floats4* first,
                                                    Floats4* second) {
    const FastImdctFactors& f = fastImdctFactors();
    Floats4 u[18];
    for (int n = 0; n < 18; ++n) u[n] = x[n] * f.pre[n];
    Floats4 sums[9];
    Floats4 differences[9];
    for (int n = 0; n < 9; ++n) {
        sums[n] = u[n] + u[17 - n];
        differences[n] = (u[n] - u[17 - n]) * f.split[n];
    }
    Floats4 evens[9];
    Floats4 odds[9];
    dct9(sums, evens, f.dct9);
    dct9(differences, odds, f.dct9);
    Floats4 w[19];
    for (int j = 0; j < 9; ++j) {
        w[2 * j] = evens[j];
        w[2 * j + 1] = j < 8 ? odds[j] + odds[j + 1] : odds[j];
    }
    w[18] = Floats4{};
    Floats4 dct4[18];
    for (int m = 0; m < 18; ++m) dct4[m] = w[m] + w[m + 1];
    // Output i is X[i + 9] (i < 9), -X[26 - i] (i < 27), -X[i - 27].
    for (int i = 0; i < 9; ++i) {
        first[i] = dct4[i + 9];
        first[9 + i] = -dct4[17 - i];
        second[i] = -dct4[8 - i];
        second[9 + i] = -dct4[i];
    }
}

}  // namespace velt::mpeg::layer3::fours
