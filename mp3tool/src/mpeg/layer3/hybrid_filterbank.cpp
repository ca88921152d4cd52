#include "mpeg/layer3/hybrid_filterbank.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

#include "mpeg/layer3/imdct36_fours.h"
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
        const Floats8 lower = __builtin_shufflevector(below, below, 7, 6, 5, 4, 3, 2, 1, 0);
        const Floats8 newLower = lower * cs - higher * ca;
        const Floats8 newHigher = higher * cs + lower * ca;
        below = __builtin_shufflevector(newLower, newLower, 7, 6, 5, 4, 3, 2, 1, 0);
        std::memcpy(upper - 8, &below, sizeof below);
        std::memcpy(upper, &newHigher, sizeof newHigher);
    }
}

// The baseline's vectors of four and its fast transform.
using fours::fastImdct36Fours;
using fours::Floats4;
using fours::Ints4;
using fours::lanesOfSubbands;
using fours::transpose4;

// The antialias butterflies with vectors of four: the eight lines below a boundary, read
// backwards, pair with the eight above it.
[[gnu::always_inline]] inline void antialiasFours(std::array<float, kGranuleLines>& x,
                                                  int boundaries) {
    const Tables& t = tables();
    Floats4 cs[2];
    Floats4 ca[2];
    std::memcpy(cs, t.cs, sizeof cs);
    std::memcpy(ca, t.ca, sizeof ca);
    for (int sb = 1; sb <= boundaries; ++sb) {
        float* upper = &x[static_cast<size_t>(sb * 18)];
        for (int h = 0; h < 2; ++h) {
            // Lines 4h..4h+3 above the boundary and as many below it, mirrored.
            float* below = upper - 4 * (h + 1);
            float* above = upper + 4 * h;
            Floats4 b;
            Floats4 higher;
            std::memcpy(&b, below, sizeof b);
            std::memcpy(&higher, above, sizeof higher);
            const Floats4 lower = __builtin_shufflevector(b, b, 3, 2, 1, 0);
            const Floats4 newLower = lower * cs[h] - higher * ca[h];
            const Floats4 newHigher = higher * cs[h] + lower * ca[h];
            b = __builtin_shufflevector(newLower, newLower, 3, 2, 1, 0);
            std::memcpy(below, &b, sizeof b);
            std::memcpy(above, &newHigher, sizeof newHigher);
        }
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
namespace {
VELT_V3_FUSED void imdct36V3(const float* in, float* out) {
    imdct36With(imdct36Rows(), in, out);
}
}  // namespace
#endif

void imdct36(const float* in, float* out) {
#ifdef VELT_SIMD_DISPATCH
    if (useV3Build()) return imdct36V3(in, out);
    // The baseline's fast transform, in lane 0.
    Floats4 x[18];
    for (int k = 0; k < 18; ++k) x[k] = Floats4{in[k], 0.0f, 0.0f, 0.0f};
    Floats4 halves[2][18];
    fastImdct36Fours(x, halves[0], halves[1]);
    for (int i = 0; i < 36; ++i) out[i] = halves[i / 18][i % 18][0];
#else
    imdct36With(imdct36Rows(), in, out);
#endif
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

// Highest subband holding a non-zero line, or -1. Eight lines at a time from the top (a line is
// zero when its bits but the sign are: an integer test, which every vector unit does well),
// then the block that holds one line by line.
[[gnu::always_inline]] inline int topSubband(const std::array<float, kGranuleLines>& lines) {
    for (int block = kGranuleLines - 8; block >= 0; block -= 8) {
        std::uint32_t bits[8];
        std::memcpy(bits, &lines[static_cast<size_t>(block)], sizeof bits);
        std::uint32_t any = 0;
        for (const std::uint32_t b : bits) any |= b << 1;
        if (any == 0) continue;
        for (int i = block + 7; i >= block; --i) {
            if (lines[static_cast<size_t>(i)] != 0.0f) return i / 18;
        }
    }
    return -1;
}

// What the subbands of a granule need.
struct GranulePlan {
    bool shortBlocks;
    int blockType;
    int active;  // subbands from here on hold no lines
};

// The antialias step; gives the subbands that hold lines.
template <typename Antialias>
[[gnu::always_inline]] inline GranulePlan planGranule(const GranuleChannel& gc,
                                                      std::array<float, kGranuleLines>& lines,
                                                      int subbandLimit, Antialias antialiasStep) {
    const bool shortBlocks = gc.shortBlocks();
    const int blockType = gc.windowSwitching ? gc.blockType : 0;
    // The antialias step can spread the highest line one subband up.
    const int top = topSubband(lines);
    if (!shortBlocks) {
        antialiasStep(lines, std::min(top + 1, kSubbands - 1));
    } else if (gc.mixedBlock) {
        antialiasStep(lines, 1);
    }
    return {shortBlocks, blockType, std::min(std::min(top + 2, kSubbands), subbandLimit)};
}

// One subband of a granule: transform, window, overlap-add, frequency inversion.
[[gnu::always_inline]] inline void filterSubband(const GranuleChannel& gc, const GranulePlan& plan,
                                                 const std::array<float, kGranuleLines>& lines,
                                                 int subbandLimit, int sb, SubbandSlots& out,
                                                 std::array<float, kGranuleLines>& overlap_) {
    const Tables& t = tables();
    float* overlap = &overlap_[static_cast<size_t>(sb * 18)];
    float z[36];
    if (sb >= subbandLimit) {
        for (int i = 0; i < 18; ++i) {
            out[static_cast<size_t>(sb)][static_cast<size_t>(i)] = 0.0f;
            overlap[i] = 0.0f;
        }
        return;
    }
    if (sb >= plan.active) {
        // No lines here: the transform gives zeros, so only the overlap remains.
        for (int i = 0; i < 18; ++i) {
            const float v = overlap[i];
            out[static_cast<size_t>(sb)][static_cast<size_t>(i)] = ((sb & 1) && (i & 1)) ? -v : v;
            overlap[i] = 0.0f;
        }
        return;
    }
    const float* x = &lines[static_cast<size_t>(sb * 18)];
    // The mixed flag gives the two lowest subbands the normal window, whatever the block
    // type (start and stop blocks with the flag set exist in conforming streams).
    const bool lowMixed = gc.windowSwitching && gc.mixedBlock && sb < 2;
    if (!plan.shortBlocks || lowMixed) {
        const int type = lowMixed ? 0 : plan.blockType;
        imdct36With(imdct36Rows(), x, z);
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

// One granule of one channel; `overlap` holds each subband's second half of the last one.
[[gnu::always_inline]] inline void filterGranule(const GranuleChannel& gc,
                                                 std::array<float, kGranuleLines>& lines,
                                                 int subbandLimit, SubbandSlots& out,
                                                 std::array<float, kGranuleLines>& overlap) {
    const GranulePlan plan =
        planGranule(gc, lines, subbandLimit, [](auto& x, int b) { antialias(x, b); });
    for (int sb = 0; sb < kSubbands; ++sb) {
        filterSubband(gc, plan, lines, subbandLimit, sb, out, overlap);
    }
}

// The baseline build: four subbands at a time, one in each lane of a vector of four (the
// baseline's vector width), through the fast transform; granules with short blocks, and
// subbands past the limit, one subband at a time.
[[maybe_unused]] void filterGranuleBaseline(const GranuleChannel& gc,
                                            std::array<float, kGranuleLines>& lines,
                                            int subbandLimit, SubbandSlots& out,
                                            std::array<float, kGranuleLines>& overlap) {
    const GranulePlan plan =
        planGranule(gc, lines, subbandLimit, [](auto& x, int b) { antialiasFours(x, b); });
    const Tables& t = tables();
    for (int first = 0; first < kSubbands; first += 4) {
        // The two lowest subbands of a block with the mixed flag have a window of their own.
        const bool lowMixed = first == 0 && gc.windowSwitching && gc.mixedBlock;
        if (plan.shortBlocks || lowMixed || first >= plan.active || first + 4 > subbandLimit) {
            for (int sb = first; sb < first + 4; ++sb) {
                filterSubband(gc, plan, lines, subbandLimit, sb, out, overlap);
            }
            continue;
        }
        Floats4 x[18];
        lanesOfSubbands(&lines[static_cast<size_t>(first * 18)], x);
        Floats4 halves[2][20];
        fastImdct36Fours(x, halves[0], halves[1]);
        // Back to one row per subband; the window, the overlap and the inversion row by row.
        float rows[2][4][20];
        for (int h = 0; h < 2; ++h) {
            halves[h][18] = halves[h][19] = Floats4{};
            for (int at = 0; at < 20; at += 4) {
                Floats4 r[4] = {halves[h][at], halves[h][at + 1], halves[h][at + 2],
                                halves[h][at + 3]};
                transpose4(r);
                for (int lane = 0; lane < 4; ++lane) {
                    std::memcpy(&rows[h][lane][at], &r[lane], sizeof(Floats4));
                }
            }
        }
        const float* window = t.window[plan.blockType];
        for (int lane = 0; lane < 4; ++lane) {
            const int sb = first + lane;
            float* o = &overlap[static_cast<size_t>(sb * 18)];
            float* slots = out[static_cast<size_t>(sb)];
            // Frequency inversion: the odd slots of the odd subbands change sign.
            const float odd = (sb & 1) ? -1.0f : 1.0f;
            const Floats4 inversion = {1.0f, odd, 1.0f, odd};
            for (int i = 0; i < 16; i += 4) {
                Floats4 z, w, previous, next, nextWindow;
                std::memcpy(&z, &rows[0][lane][i], sizeof z);
                std::memcpy(&w, window + i, sizeof w);
                std::memcpy(&previous, o + i, sizeof previous);
                std::memcpy(&next, &rows[1][lane][i], sizeof next);
                std::memcpy(&nextWindow, window + 18 + i, sizeof nextWindow);
                const Floats4 v = (z * w + previous) * inversion;
                std::memcpy(slots + i, &v, sizeof v);
                next *= nextWindow;
                std::memcpy(o + i, &next, sizeof next);
            }
            for (int i = 16; i < 18; ++i) {
                const float v = rows[0][lane][i] * window[i] + o[i];
                slots[i] = (i & 1) ? v * odd : v;
                o[i] = rows[1][lane][i] * window[18 + i];
            }
        }
    }
}

#ifdef VELT_SIMD_DISPATCH
VELT_V3_FUSED void filterGranuleV3(const GranuleChannel& gc,
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
    filterGranuleBaseline(gc, lines, subbandLimit, out, overlap_);
#else
    filterGranule(gc, lines, subbandLimit, out, overlap_);
#endif
}

}  // namespace velt::mpeg::layer3
