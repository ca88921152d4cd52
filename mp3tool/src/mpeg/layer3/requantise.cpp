#include "mpeg/layer3/requantise.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "mpeg/layer3/scale_factor_tables.h"

namespace velt::mpeg::layer3 {
namespace {

// 2^(quarters / 4), exact in its power of two.
float powerOfTwoQuarters(int quarters) {
    static constexpr double kQuarter[4] = {1.0, 1.18920711500272106672, 1.41421356237309504880,
                                           1.68179283050742908606};
    const int whole = quarters >= 0 ? quarters / 4 : -((-quarters + 3) / 4);
    return static_cast<float>(std::ldexp(kQuarter[quarters - whole * 4], whole));
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

void requantiseLong(const GranuleChannel& gc, const ScaleFactors& sf, const BandTable& bands,
                    const std::array<int, kGranuleLines>& values, int endLine, int bandEnd,
                    std::array<float, kGranuleLines>& xr) {
    const int shift = 2 * (gc.scalefacScale + 1);
    const float* pow43s = pow43Table().data();
    for (int b = 0; b < bandEnd; ++b) {
        const int first = bands.longStart[static_cast<size_t>(b)];
        if (first >= endLine) break;
        const int last = std::min<int>(bands.longStart[static_cast<size_t>(b) + 1], endLine);
        const int scale = sf.longBand[static_cast<size_t>(b)] +
                          (sf.preflag ? kPretab[static_cast<size_t>(b)] : 0);
        const float gain = powerOfTwoQuarters(gc.globalGain - 210 - shift * scale);
        for (int i = first; i < last; ++i)
            xr[static_cast<size_t>(i)] = line(pow43s, values[static_cast<size_t>(i)], gain);
    }
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
