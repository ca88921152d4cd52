#include "mpeg/layer3/hybrid_filterbank.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

#include "mpeg/simd_path.h"

namespace velt::mpeg::layer3 {
namespace {

struct Tables {
    float cos36[36][18];
    float cos12[12][6];
    float window[4][36];
    float cs[8];
    float ca[8];

    Tables() {
        const double pi = std::numbers::pi;
        for (int i = 0; i < 36; ++i)
            for (int k = 0; k < 18; ++k)
                cos36[i][k] =
                    static_cast<float>(std::cos(pi / 72.0 * (2 * i + 1 + 18) * (2 * k + 1)));
        for (int i = 0; i < 12; ++i)
            for (int k = 0; k < 6; ++k)
                cos12[i][k] =
                    static_cast<float>(std::cos(pi / 24.0 * (2 * i + 1 + 6) * (2 * k + 1)));
        for (int i = 0; i < 36; ++i) {
            const double longSine = std::sin(pi / 36.0 * (i + 0.5));
            window[0][i] = static_cast<float>(longSine);
            // Start block: long rise, flat, short fall, zero.
            window[1][i] = static_cast<float>(i < 18   ? longSine
                                              : i < 24 ? 1.0
                                              : i < 30 ? std::sin(pi / 12.0 * (i - 18 + 0.5))
                                                       : 0.0);
            // Stop block: zero, short rise, flat, long fall.
            window[3][i] = static_cast<float>(i < 6    ? 0.0
                                              : i < 12 ? std::sin(pi / 12.0 * (i - 6 + 0.5))
                                              : i < 18 ? 1.0
                                                       : longSine);
            window[2][i] = i < 12 ? static_cast<float>(std::sin(pi / 12.0 * (i + 0.5))) : 0.0f;
        }
        for (int i = 0; i < 8; ++i) {
            const double c = kAntialiasC[static_cast<size_t>(i)];
            cs[i] = static_cast<float>(1.0 / std::sqrt(1.0 + c * c));
            ca[i] = static_cast<float>(c / std::sqrt(1.0 + c * c));
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

using Floats8 = float __attribute__((vector_size(32)));
using Ints8 = std::int32_t __attribute__((vector_size(32)));

// The eight butterflies of each subband boundary at once: the eight lines below the boundary,
// read backwards, pair with the eight above it.
[[gnu::always_inline]] inline void antialias(std::array<float, kGranuleLines>& x, int boundaries) {
    const Tables& t = tables();
    constexpr Ints8 kReverse = {7, 6, 5, 4, 3, 2, 1, 0};
    Floats8 cs;
    Floats8 ca;
    std::memcpy(&cs, t.cs, sizeof cs);
    std::memcpy(&ca, t.ca, sizeof ca);
    for (int sb = 1; sb <= boundaries; ++sb) {
        float* upper = &x[static_cast<size_t>(sb * 18)];
        Floats8 below;
        Floats8 higher;
        std::memcpy(&below, upper - 8, sizeof below);
        std::memcpy(&higher, upper, sizeof higher);
        const Floats8 lower = __builtin_shuffle(below, kReverse);
        const Floats8 newLower = lower * cs - higher * ca;
        const Floats8 newHigher = higher * cs + lower * ca;
        below = __builtin_shuffle(newLower, kReverse);
        std::memcpy(upper - 8, &below, sizeof below);
        std::memcpy(upper, &newHigher, sizeof newHigher);
    }
}

}  // namespace

double antialiasCs(int i) {
    return tables().cs[i & 7];
}
double antialiasCa(int i) {
    return tables().ca[i & 7];
}

namespace {

// The 36 outputs of the long transform come in mirrored pairs: output 17 - i is minus output i
// (i = 0..8) and output 53 - i equals output i (i = 18..26), because the cosines do. So only
// outputs 0..8 and 18..26 are summed. Entry [k][u] holds the cosine of input line k for unique
// output u (0..8 for outputs 0..8, 9..17 for outputs 18..26, six lanes of padding), so that
// one input line scales a contiguous row of outputs.
constexpr int kUniqueLanes = 24;
const std::array<std::array<float, kUniqueLanes>, 18>& imdct36Rows() {
    static const std::array<std::array<float, kUniqueLanes>, 18> rows = [] {
        std::array<std::array<float, kUniqueLanes>, 18> r{};
        for (int k = 0; k < 18; ++k) {
            for (int u = 0; u < 9; ++u) {
                r[k][u] = tables().cos36[u][k];
                r[k][9 + u] = tables().cos36[18 + u][k];
            }
        }
        return r;
    }();
    return rows;
}

// Output i = sum over k of in[k] x cos36[i][k], added in the order of k in single precision
// (18 terms: far inside full accuracy). The loops run over k outside and eight outputs at a
// time inside in the compiler's vector type (mapped onto whatever vector unit the processor
// has).
[[gnu::always_inline]] inline void imdct36With(
    const std::array<std::array<float, kUniqueLanes>, 18>& rows, const float* in, float* out) {
    // The even and the odd input lines are summed apart and added at the end: two chains of
    // dependent additions half as long as one.
    Floats8 even[kUniqueLanes / 8] = {};
    Floats8 odd[kUniqueLanes / 8] = {};
    for (int k = 0; k < 18; k += 2) {
        const float xe = in[k];
        const float xo = in[k + 1];
        const Floats8 scaleEven = {xe, xe, xe, xe, xe, xe, xe, xe};
        const Floats8 scaleOdd = {xo, xo, xo, xo, xo, xo, xo, xo};
        for (int b = 0; b < kUniqueLanes / 8; ++b) {
            Floats8 ce;
            Floats8 co;
            std::memcpy(&ce, rows[static_cast<size_t>(k)].data() + 8 * b, sizeof ce);
            std::memcpy(&co, rows[static_cast<size_t>(k) + 1].data() + 8 * b, sizeof co);
            even[b] += scaleEven * ce;
            odd[b] += scaleOdd * co;
        }
    }
    Floats8 acc[kUniqueLanes / 8];
    for (int b = 0; b < kUniqueLanes / 8; ++b) acc[b] = even[b] + odd[b];
    float unique[kUniqueLanes];
    std::memcpy(unique, acc, sizeof unique);
    for (int i = 0; i < 9; ++i) {
        const float low = unique[i];
        const float high = unique[9 + i];
        out[i] = low;
        out[17 - i] = -low;
        out[18 + i] = high;
        out[35 - i] = high;
    }
}

}  // namespace

// The transform and the filterbank are built for x86-64-v3 with fused multiply-add and for the
// baseline processor on x86-64 (simd_path.h chooses); products and sums may fuse (one rounding
// instead of two).
#ifdef VELT_SIMD_DISPATCH
#define VELT_HYBRID_V3 VELT_V3 __attribute__((optimize("fp-contract=fast")))
namespace {
VELT_HYBRID_V3 void imdct36V3(const float* in, float* out) {
    imdct36With(imdct36Rows(), in, out);
}
}  // namespace
#endif

void imdct36(const float* in, float* out) {
#ifdef VELT_SIMD_DISPATCH
    if (useV3Build()) return imdct36V3(in, out);
#endif
    imdct36With(imdct36Rows(), in, out);
}

void imdct12(const float* in, float* out) {
    const Tables& t = tables();
    for (int i = 0; i < 12; ++i) {
        double sum = 0.0;
        for (int k = 0; k < 6; ++k) sum += static_cast<double>(in[k]) * t.cos12[i][k];
        out[i] = static_cast<float>(sum);
    }
}

float imdctWindow(int blockType, int i) {
    return tables().window[blockType & 3][i % 36];
}

namespace {

// One granule of one channel; `overlap` holds each subband's second half of the last one.
[[gnu::always_inline]] inline void filterGranule(const GranuleChannel& gc,
                                                 std::array<float, kGranuleLines>& lines,
                                                 int subbandLimit, SubbandSlots& out,
                                                 std::array<float, kGranuleLines>& overlap_) {
    const Tables& t = tables();
    const auto& rows = imdct36Rows();
    const bool shortBlocks = gc.shortBlocks();
    const int blockType = gc.windowSwitching ? gc.blockType : 0;

    // Highest subband holding a non-zero line; the antialias step can spread it one subband up.
    // Eight lines at a time from the top, then the block that holds one line by line.
    int top = -1;
    for (int block = kGranuleLines - 8; block >= 0 && top < 0; block -= 8) {
        Floats8 v;
        std::memcpy(&v, &lines[static_cast<size_t>(block)], sizeof v);
        const Ints8 nonzero = v != Floats8{};
        std::uint64_t parts[4];
        std::memcpy(parts, &nonzero, sizeof parts);
        if ((parts[0] | parts[1] | parts[2] | parts[3]) == 0) continue;
        for (int i = block + 7; i >= block; --i) {
            if (lines[static_cast<size_t>(i)] != 0.0f) {
                top = i / 18;
                break;
            }
        }
    }
    if (!shortBlocks) {
        antialias(lines, std::min(top + 1, kSubbands - 1));
    } else if (gc.mixedBlock) {
        antialias(lines, 1);
    }
    const int active = std::min(std::min(top + 2, kSubbands), subbandLimit);

    for (int sb = 0; sb < kSubbands; ++sb) {
        float* overlap = &overlap_[static_cast<size_t>(sb * 18)];
        float z[36];
        if (sb >= subbandLimit) {
            for (int i = 0; i < 18; ++i) {
                out[static_cast<size_t>(sb)][static_cast<size_t>(i)] = 0.0f;
                overlap[i] = 0.0f;
            }
            continue;
        }
        if (sb >= active) {
            // No lines here: the transform gives zeros, so only the overlap remains.
            for (int i = 0; i < 18; ++i) {
                const float v = overlap[i];
                out[static_cast<size_t>(sb)][static_cast<size_t>(i)] =
                    ((sb & 1) && (i & 1)) ? -v : v;
                overlap[i] = 0.0f;
            }
            continue;
        }
        const float* x = &lines[static_cast<size_t>(sb * 18)];
        // The mixed flag gives the two lowest subbands the normal window, whatever the block
        // type (start and stop blocks with the flag set exist in conforming streams).
        const bool lowMixed = gc.windowSwitching && gc.mixedBlock && sb < 2;
        if (!shortBlocks || lowMixed) {
            const int type = lowMixed ? 0 : blockType;
            imdct36With(rows, x, z);
            for (int i = 0; i < 36; ++i) z[i] *= t.window[type][i];
        } else {
            for (float& v : z) v = 0.0f;
            for (int w = 0; w < 3; ++w) {
                float y[12];
                imdct12(x + w * 6, y);
                for (int i = 0; i < 12; ++i) z[6 + w * 6 + i] += y[i] * t.window[2][i];
            }
        }
        for (int i = 0; i < 18; ++i) {
            const float v = z[i] + overlap[i];
            out[static_cast<size_t>(sb)][static_cast<size_t>(i)] = ((sb & 1) && (i & 1)) ? -v : v;
            overlap[i] = z[18 + i];
        }
    }
}

#ifdef VELT_SIMD_DISPATCH
VELT_HYBRID_V3 void filterGranuleV3(const GranuleChannel& gc,
                                    std::array<float, kGranuleLines>& lines, int subbandLimit,
                                    SubbandSlots& out, std::array<float, kGranuleLines>& overlap) {
    filterGranule(gc, lines, subbandLimit, out, overlap);
}
#endif

}  // namespace

void HybridFilterbank::process(const GranuleChannel& gc, std::array<float, kGranuleLines>& lines,
                               int subbandLimit, SubbandSlots& out) {
#ifdef VELT_SIMD_DISPATCH
    if (useV3Build()) return filterGranuleV3(gc, lines, subbandLimit, out, overlap_);
#endif
    filterGranule(gc, lines, subbandLimit, out, overlap_);
}

}  // namespace velt::mpeg::layer3
