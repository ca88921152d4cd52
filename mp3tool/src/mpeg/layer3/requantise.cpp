#include "mpeg/layer3/requantise.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "mpeg/layer3/scale_factor_tables.h"
#include "mpeg/simd_path.h"

#ifdef VELT_SIMD_DISPATCH
#include <immintrin.h>
#define VELT_REQUANTISE_AVX2 1
#endif

namespace velt::mpeg::layer3 {
namespace {

// 2^(quarters / 4), exact in its power of two.
float powerOfTwoQuarters(int quarters) {
    static constexpr double kQuarter[4] = {1.0, 1.18920711500272106672, 1.41421356237309504880,
                                           1.68179283050742908606};
    const int whole = quarters >= 0 ? quarters / 4 : -((-quarters + 3) / 4);
    const double fraction = kQuarter[quarters - whole * 4];
    // The power of two straight from its exponent bits where a normal double holds it.
    if (whole >= -1022 && whole <= 1023) {
        return static_cast<float>(
            fraction * std::bit_cast<double>(static_cast<std::uint64_t>(whole + 1023) << 52));
    }
    return static_cast<float>(std::ldexp(fraction, whole));
}

const std::vector<float>& pow43Table() {
    static const std::vector<float> table = [] {
        std::vector<float> t(kPow43Size);
        for (int i = 0; i < kPow43Size; ++i)
            t[static_cast<size_t>(i)] = static_cast<float>(std::pow(i, 4.0 / 3.0));
        return t;
    }();
    return table;
}

// pow43 from a table the caller fetched once (the function's own look-up costs a guard check
// and a call per line). The sign comes as a factor of +1 or -1 (exact) rather than a branch:
// signs are random, so a branch on them is mispredicted half the time.
float line(const float* pow43s, int value, float gain) {
    const int n = std::abs(value);
    const float magnitude = (n < kPow43Size ? pow43s[n] : 0.0f) * gain;
    return magnitude * static_cast<float>((value >> 31) | 1);
}

// Lines [0, count): values to signed |x|^(4/3) x the line's gain.
void scaleLinesPlain(const float* pow43s, const int* values, float* out, int count,
                     const float* gains) {
    for (int i = 0; i < count; ++i) out[i] = line(pow43s, values[i], gains[i]);
}

#ifdef VELT_REQUANTISE_AVX2
// The same eight lines at a time: the table read is a gather, the sign is the value's sign bit
// put on the magnitude (exactly what the factor of +1 or -1 does).
__attribute__((target("avx2"))) void scaleLinesAvx2(const float* pow43s, const int* values,
                                                    float* out, int count, const float* gains) {
    const __m256i last = _mm256_set1_epi32(kPow43Size - 1);
    const __m256i signBit = _mm256_set1_epi32(static_cast<int>(0x80000000u));
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values + i));
        const __m256i n = _mm256_abs_epi32(v);
        // Indices past the table read its last entry and are then cleared (they give 0).
        const __m256i index = _mm256_min_epu32(n, last);
        const __m256i inTable = _mm256_cmpeq_epi32(index, n);
        __m256 magnitude = _mm256_i32gather_ps(pow43s, index, 4);
        magnitude = _mm256_and_ps(magnitude, _mm256_castsi256_ps(inTable));
        magnitude = _mm256_mul_ps(magnitude, _mm256_loadu_ps(gains + i));
        const __m256 sign = _mm256_castsi256_ps(_mm256_and_si256(v, signBit));
        _mm256_storeu_ps(out + i, _mm256_xor_ps(magnitude, sign));
    }
    for (; i < count; ++i) out[i] = line(pow43s, values[i], gains[i]);
}
#endif

void scaleLines(const float* pow43s, const int* values, float* out, int count, const float* gains) {
#ifdef VELT_REQUANTISE_AVX2
    if (useV3Build()) {
        scaleLinesAvx2(pow43s, values, out, count, gains);
        return;
    }
#endif
    scaleLinesPlain(pow43s, values, out, count, gains);
}

void requantiseLong(const GranuleChannel& gc, const ScaleFactors& sf, const BandTable& bands,
                    const std::array<int, kGranuleLines>& values, int endLine, int bandEnd,
                    std::array<float, kGranuleLines>& xr) {
    const int shift = 2 * (gc.scalefacScale + 1);
    const float* pow43s = pow43Table().data();
    float gains[kGranuleLines];
    int count = 0;
    for (int b = 0; b < bandEnd; ++b) {
        const int first = bands.longStart[static_cast<size_t>(b)];
        if (first >= endLine) break;
        const int last = std::min<int>(bands.longStart[static_cast<size_t>(b) + 1], endLine);
        const int scale = sf.longBand[static_cast<size_t>(b)] +
                          (sf.preflag ? kPretab[static_cast<size_t>(b)] : 0);
        std::fill(gains + first, gains + last,
                  powerOfTwoQuarters(gc.globalGain - 210 - shift * scale));
        count = last;
    }
    // One pass over all the bands' lines, each with its band's gain.
    scaleLines(pow43s, values.data(), xr.data(), count, gains);
}

void requantiseShort(const GranuleChannel& gc, const ScaleFactors& sf, const BandTable& bands,
                     const std::array<int, kGranuleLines>& values, int endLine, int firstBand,
                     std::array<float, kGranuleLines>& xr) {
    const int shift = 2 * (gc.scalefacScale + 1);
    const float* pow43s = pow43Table().data();
    for (int b = firstBand; b < kShortBands; ++b) {
        const int start = bands.shortStart[static_cast<size_t>(b)];
        const int width = bands.shortStart[static_cast<size_t>(b) + 1] - start;
        for (int w = 0; w < 3; ++w) {
            const int source = start * 3 + w * width;
            if (source >= endLine) return;
            const float gain = powerOfTwoQuarters(
                gc.globalGain - 210 - 8 * gc.subblockGain[static_cast<size_t>(w)] -
                shift * sf.shortBand[static_cast<size_t>(b)][static_cast<size_t>(w)]);
            for (int i = 0; i < width; ++i) {
                const int frequency = start + i;
                const int target = (frequency / 6) * 18 + w * 6 + frequency % 6;
                if (target >= kGranuleLines) continue;
                xr[static_cast<size_t>(target)] =
                    line(pow43s, values[static_cast<size_t>(source + i)], gain);
            }
        }
    }
}

}  // namespace

float pow43(int n) {
    if (n < 0 || n >= kPow43Size) return 0.0f;
    return pow43Table()[static_cast<size_t>(n)];
}

void requantise(const GranuleChannel& gc, const ScaleFactors& sf, const BandTable& bands,
                const std::array<int, kGranuleLines>& values, int decodedLines,
                std::array<float, kGranuleLines>& xr) {
    xr.fill(0.0f);
    if (!gc.shortBlocks()) {
        requantiseLong(gc, sf, bands, values, decodedLines, kLongBands, xr);
        return;
    }
    if (!gc.mixedBlock) {
        requantiseShort(gc, sf, bands, values, decodedLines, 0, xr);
        return;
    }
    // Mixed: the long bands below short band 3, then short bands from 3.
    const MixedSplit split = mixedSplit(bands);
    requantiseLong(gc, sf, bands, values, std::min(decodedLines, split.longLines), split.longBands,
                   xr);
    // At 8 kHz the long part reaches past the two long subbands; the short transforms of those
    // subbands read its lines j = 3k + w as line k of window w (the common decoders' reading).
    for (int sb = 2; sb < split.longLines / 18; ++sb) {
        float* lines = &xr[static_cast<size_t>(sb * 18)];
        float copy[18];
        std::copy(lines, lines + 18, copy);
        for (int j = 0; j < 18; ++j) lines[(j % 3) * 6 + j / 3] = copy[j];
    }
    requantiseShort(gc, sf, bands, values, decodedLines, split.firstShortBand, xr);
}

}  // namespace velt::mpeg::layer3
