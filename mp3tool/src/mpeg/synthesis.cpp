// Polyphase synthesis: matrixing through a fast cosine transform, windowing over the 16 most
// recent vectors, rounding and clamping to 16-bit samples.
#include "mpeg/synthesis.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>

#include "mpeg/simd_path.h"
#include "mpeg/synthesis_window.h"

#ifdef VELT_SIMD_DISPATCH
#include <emmintrin.h>
#endif

namespace velt::mpeg {
namespace {

// Butterfly factors 1 / (2 cos((2k + 1) pi / (2n))) for n = 32, 16, 8, 4, 2, stored one level
// after the other (16 + 8 + 4 + 2 + 1 values).
const std::array<float, 31>& butterflyFactors() {
    static const std::array<float, 31> factors = [] {
        std::array<float, 31> f{};
        int at = 0;
        for (int n = 32; n >= 2; n /= 2) {
            for (int k = 0; k < n / 2; ++k) {
                f[at++] =
                    static_cast<float>(0.5 / std::cos((2 * k + 1) * std::numbers::pi / (2.0 * n)));
            }
        }
        return f;
    }();
    return factors;
}

// Lee's recursion: the even outputs are the half-size transform of the sums, the odd outputs
// the sums of neighbouring outputs of the half-size transform of the scaled differences. Each
// half is finished before the other starts, so the values of a small block stay in registers.
// T is a float (one slot) or a vector of eight floats (eight slots side by side, one slot per
// lane). `factors` points at the factors of size N; those of N / 2 follow them.
template <int N, typename T>
[[gnu::always_inline]] inline void transformBlock(const T* in, T* out, const float* factors) {
    if constexpr (N == 1) {
        out[0] = in[0];
    } else {
        T sums[N / 2];
        T differences[N / 2];
        for (int k = 0; k < N / 2; ++k) {
            const T a = in[k];
            const T b = in[N - 1 - k];
            sums[k] = a + b;
            differences[k] = (a - b) * factors[k];
        }
        T evens[N / 2];
        T odds[N / 2];
        transformBlock<N / 2>(sums, evens, factors + N / 2);
        transformBlock<N / 2>(differences, odds, factors + N / 2);
        for (int m = 0; m < N / 2 - 1; ++m) {
            out[2 * m] = evens[m];
            out[2 * m + 1] = odds[m] + odds[m + 1];
        }
        out[N - 2] = evens[N / 2 - 1];
        out[N - 1] = odds[N / 2 - 1];
    }
}

template <typename T>
[[gnu::always_inline]] inline void cosineTransform(const T* in, T* out) {
    transformBlock<32>(in, out, butterflyFactors().data());
}

// The window scaled to 16-bit sample units: D[i] x 32768 in single precision.
const std::array<float, 512>& scaledWindow() {
    static const std::array<float, 512> window = [] {
        std::array<float, 512> w{};
        for (int i = 0; i < 512; ++i) w[i] = static_cast<float>(kSynthesisWindow[i]) * 0.5f;
        return w;
    }();
    return window;
}

using Floats8 = float __attribute__((vector_size(32)));
using Ints8 = std::int32_t __attribute__((vector_size(32)));
using Shorts8 = std::int16_t __attribute__((vector_size(16)));
using Floats4 = float __attribute__((vector_size(16)));
using Ints4 = std::int32_t __attribute__((vector_size(16)));

// Transposes eight rows of eight floats in place: unpacks, shuffles and lane swaps, the way a
// vector unit does it best (indices 0-7 pick from the first operand, 8-15 from the second).
[[gnu::always_inline]] inline void transposeBlock(Floats8* r) {
    Floats8 t[8];
    for (int i = 0; i < 8; i += 2) {
        t[i] = __builtin_shufflevector(r[i], r[i + 1], 0, 8, 1, 9, 4, 12, 5, 13);
        t[i + 1] = __builtin_shufflevector(r[i], r[i + 1], 2, 10, 3, 11, 6, 14, 7, 15);
    }
    Floats8 u[8];
    for (int i = 0; i < 8; i += 4) {
        u[i] = __builtin_shufflevector(t[i], t[i + 2], 0, 1, 8, 9, 4, 5, 12, 13);
        u[i + 1] = __builtin_shufflevector(t[i], t[i + 2], 2, 3, 10, 11, 6, 7, 14, 15);
        u[i + 2] = __builtin_shufflevector(t[i + 1], t[i + 3], 0, 1, 8, 9, 4, 5, 12, 13);
        u[i + 3] = __builtin_shufflevector(t[i + 1], t[i + 3], 2, 3, 10, 11, 6, 7, 14, 15);
    }
    for (int i = 0; i < 4; ++i) {
        r[i] = __builtin_shufflevector(u[i], u[i + 4], 0, 1, 2, 3, 8, 9, 10, 11);
        r[i + 4] = __builtin_shufflevector(u[i], u[i + 4], 4, 5, 6, 7, 12, 13, 14, 15);
    }
}

// The same for four rows of four.
[[gnu::always_inline]] inline void transposeBlock(Floats4* r) {
    const Floats4 t0 = __builtin_shufflevector(r[0], r[1], 0, 4, 1, 5);
    const Floats4 t1 = __builtin_shufflevector(r[0], r[1], 2, 6, 3, 7);
    const Floats4 t2 = __builtin_shufflevector(r[2], r[3], 0, 4, 1, 5);
    const Floats4 t3 = __builtin_shufflevector(r[2], r[3], 2, 6, 3, 7);
    r[0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    r[1] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    r[2] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    r[3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

// Puts the lanes of a vector in reverse order (in place: a vector of eight passed by value
// would change the calling convention between the builds).
[[gnu::always_inline]] inline void reverse(Floats8& v) {
    v = __builtin_shufflevector(v, v, 7, 6, 5, 4, 3, 2, 1, 0);
}
[[gnu::always_inline]] inline void reverse(Floats4& v) {
    v = __builtin_shufflevector(v, v, 3, 2, 1, 0);
}

// Vectors of L floats: eight in the x86-64-v3 build (and where nothing is chosen), four in the
// baseline build, whose vector unit holds four (wider vectors would be split through memory).
template <int L>
struct Lanes;
template <>
struct Lanes<8> {
    using Floats = Floats8;
    using Ints = Ints8;
};
template <>
struct Lanes<4> {
    using Floats = Floats4;
    using Ints = Ints4;
};

// Windowing: sample j = sum over the 16 most recent vectors t of D[32t + j] times entry j
// (t even) or entry 32 + j (t odd) of vector t, then the sum made a sample as pcmSample does.
// L samples at a time in single precision in the compiler's vector types: the sums stay far
// inside the 0.289 LSB RMS of full accuracy, as the decoders users compare with also do. `v`
// points at the slot's newest vector, the older ones follow it. Each pass sums 4 L samples
// (all 32 with eight lanes, half with four), so that the sums stay in registers.
using History = std::array<float, 64>;

// Clamped first (a sum that is not a number goes to the low end), then rounded to the nearest
// whole number, ties to even, by adding and taking away 1.5 x 2^23 (exact for sums this
// small), or truncated toward zero with rate reduction by the conversion itself. P vectors
// (an even count of vectors of four).
template <int P, typename F>
[[gnu::always_inline]] inline void toSamples(const F (&sums)[P], bool fullRate, std::int16_t* pcm) {
    constexpr int kLanes = sizeof(F) / sizeof(float);
#ifdef VELT_SIMD_DISPATCH
    if constexpr (kLanes == 4) {
        // The baseline's own minimum, maximum, conversions and saturating pack give the same:
        // MAXPS takes its second operand for a sum that is not a number, and the conversion
        // rounds to nearest, ties to even, in the mode every program starts in.
        static_assert(P % 2 == 0);
        const __m128 low = _mm_set1_ps(-32768.0f);
        const __m128 high = _mm_set1_ps(32767.0f);
        for (int b = 0; b < P; b += 2) {
            __m128i whole[2];
            for (int h = 0; h < 2; ++h) {
                const __m128 c =
                    _mm_min_ps(_mm_max_ps(static_cast<__m128>(sums[b + h]), low), high);
                whole[h] = fullRate ? _mm_cvtps_epi32(c) : _mm_cvttps_epi32(c);
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm + 4 * b),
                             _mm_packs_epi32(whole[0], whole[1]));
        }
        return;
    }
#endif
    const F low = F{} - 32768.0f;
    const F high = F{} + 32767.0f;
    const F toWhole = F{} + 12582912.0f;  // 1.5 x 2^23
    F c[P];
    for (int b = 0; b < P; ++b) {
        c[b] = sums[b] > low ? sums[b] : low;
        c[b] = c[b] < high ? c[b] : high;
        if (fullRate) c[b] = (c[b] + toWhole) - toWhole;
    }
    if constexpr (kLanes == 8) {
        for (int b = 0; b < P; ++b) {
            const Shorts8 samples =
                __builtin_convertvector(__builtin_convertvector(c[b], Ints8), Shorts8);
            std::memcpy(pcm + 8 * b, &samples, sizeof samples);
        }
    } else {
        static_assert(P % 2 == 0);
        // Two vectors of four into eight samples; the clamp makes narrowing exact.
        for (int b = 0; b < P; b += 2) {
            const Ints4 first = __builtin_convertvector(c[b], Ints4);
            const Ints4 second = __builtin_convertvector(c[b + 1], Ints4);
            std::int32_t wide[8];
            std::memcpy(wide, &first, sizeof first);
            std::memcpy(wide + 4, &second, sizeof second);
            Shorts8 samples;
            for (int i = 0; i < 8; ++i) samples[i] = static_cast<std::int16_t>(wide[i]);
            std::memcpy(pcm + 4 * b, &samples, sizeof samples);
        }
    }
}

// One slot. The even and the odd vectors are summed apart and added at the end, which halves
// the chain of dependent additions.
template <int L>
[[gnu::always_inline]] inline void windowSamples(const float* d, const History* v, bool fullRate,
                                                 std::int16_t* pcm) {
    using F = typename Lanes<L>::Floats;
    for (int pass = 0; pass < 32; pass += 4 * L) {
        F even[4] = {};
        F odd[4] = {};
        for (int t = 0; t < 16; t += 2) {
            const float* ve = v[t].data() + pass;
            const float* vo = v[t + 1].data() + 32 + pass;
            const float* de = d + 32 * t + pass;
            const float* dodd = de + 32;
            for (int b = 0; b < 4; ++b) {
                F dv, vv, dw, vw;
                std::memcpy(&dv, de + L * b, sizeof dv);
                std::memcpy(&vv, ve + L * b, sizeof vv);
                std::memcpy(&dw, dodd + L * b, sizeof dw);
                std::memcpy(&vw, vo + L * b, sizeof vw);
                even[b] += dv * vv;
                odd[b] += dw * vw;
            }
        }
        F sums[4];
        for (int b = 0; b < 4; ++b) sums[b] = even[b] + odd[b];
        toSamples(sums, fullRate, pcm + pass);
    }
}

// S consecutive slots: `v` points at the newest slot's newest vector, the next older slot's
// newest is the next one, and so on; pcm[o] gets the slot whose newest vector is v[o]. All use
// the same window values, loaded once; their sums are independent chains. Each pass sums
// P = 8 / S vectors per slot, so that all the sums stay in registers.
template <int L, int S>
[[gnu::always_inline]] inline void windowSlots(const float* d, const History* v, bool fullRate,
                                               std::int16_t (*pcm)[32]) {
    using F = typename Lanes<L>::Floats;
    constexpr int P = 8 / S;
    for (int pass = 0; pass < 32; pass += P * L) {
        F sums[S][P] = {};
        for (int t = 0; t < 16; ++t) {
            const int half = ((t & 1) ? 32 : 0) + pass;
            const float* dt = d + 32 * t + pass;
            for (int k = 0; k < P; ++k) {
                F dv;
                std::memcpy(&dv, dt + L * k, sizeof dv);
                for (int o = 0; o < S; ++o) {
                    F x;
                    std::memcpy(&x, v[t + o].data() + half + L * k, sizeof x);
                    sums[o][k] += dv * x;
                }
            }
        }
        for (int o = 0; o < S; ++o) toSamples(sums[o], fullRate, pcm[o] + pass);
    }
}

// L slots at a time: their cosine transforms run side by side in the lanes of one vector
// each, then each slot's vector V joins the history and is windowed. `in` holds subband k of
// the n slots in lane order. On x86-64 the callers are built twice, for x86-64-v3 with fused
// multiply-add and eight lanes, and for the baseline processor with four (simd_path.h
// chooses); the windowing's products and sums may fuse (one rounding instead of two, which only
// makes the sums more exact).
struct SynthesisState {
    std::array<History, 2 * kSynthesisRing>& history;
    int& ring;
    std::int16_t*& out;
    int step;
    int shift;
};

using Gains = std::optional<std::array<float, 32>>;

template <int L>
[[gnu::always_inline]] inline void filterBatch(SynthesisState st,
                                               typename Lanes<L>::Floats (&in)[32], int n,
                                               const Gains& gains) {
    using F = typename Lanes<L>::Floats;
    if (gains) {
        for (int k = 0; k < 32; ++k) in[k] *= (*gains)[k];
    }
    F x[32];
    cosineTransform(in, x);
    // Each slot's 32 transform values in a row of their own, by L x L transposes.
    // Entry 32 of each row is X[32] = 0.
    float xs[L][33];
    for (int s = 0; s < L; ++s) xs[s][32] = 0.0f;
    for (int block = 0; block < 32 / L; ++block) {
        F rows[L];
        for (int i = 0; i < L; ++i) rows[i] = x[L * block + i];
        transposeBlock(rows);
        for (int s = 0; s < L; ++s) std::memcpy(&xs[s][L * block], &rows[s], sizeof(F));
    }
    const float* window = scaledWindow().data();
    const bool fullRate = st.shift == 0;
    const int every = 1 << st.shift;
    const auto put = [&](const std::int16_t* pcm) {
        if (every == 1 && st.step == 1) {
            std::memcpy(st.out, pcm, 32 * sizeof(std::int16_t));
            st.out += 32;
        } else {
            for (int j = 0; j < 32; j += every) {
                *st.out = pcm[j];
                st.out += st.step;
            }
        }
    };
    // Matrixing V[i] = sum_k cos((16 + i)(2k + 1) pi / 64) S[k], i = 0..63, from X = the
    // transform above: X[32] = 0, X[64 - m] = -X[m] and X[64 + m] = -X[m]. The new vector
    // becomes the newest of the ring.
    const auto push = [&](const float* xm) {
        st.ring = st.ring == 0 ? kSynthesisRing - 1 : st.ring - 1;
        float* v = st.history[st.ring].data();
        float* copy = st.history[st.ring + kSynthesisRing].data();
        const auto store = [&](int at, const F& part) {
            std::memcpy(v + at, &part, sizeof part);
            std::memcpy(copy + at, &part, sizeof part);
        };
        for (int i = 0; i < 16; i += L) {
            F part;
            std::memcpy(&part, xm + 16 + i, sizeof part);
            store(i, part);
        }
        // V[16 + j] = -X[32 - j], j = 0..31 (X[32] = 0 is the row's last entry): backwards.
        for (int j = 0; j < 32; j += L) {
            F part;
            std::memcpy(&part, xm + 32 - j - (L - 1), sizeof part);
            reverse(part);
            store(16 + j, -part);
        }
        for (int i = 0; i < 16; i += L) {
            F part;
            std::memcpy(&part, xm + i, sizeof part);
            store(48 + i, -part);
        }
    };
    int s = 0;
    // Four slots together where the vectors are four wide (two where they are eight: the sums
    // of more would not stay in registers). The ring holds 19 vectors: a newer slot's vector
    // does not overwrite any of the 16 an older slot needs.
    constexpr int kTogether = L == 4 ? 4 : 2;
    for (; s + kTogether <= n; s += kTogether) {
        for (int q = 0; q < kTogether; ++q) push(xs[s + q]);
        std::int16_t pcm[kTogether][32];
        windowSlots<L, kTogether>(window, &st.history[st.ring], fullRate, pcm);
        for (int o = kTogether - 1; o >= 0; --o) put(pcm[o]);
    }
    for (; s + 2 <= n; s += 2) {
        push(xs[s]);
        push(xs[s + 1]);
        std::int16_t pcm[2][32];
        windowSlots<L, 2>(window, &st.history[st.ring], fullRate, pcm);
        put(pcm[1]);
        put(pcm[0]);
    }
    if (s < n) {
        push(xs[s]);
        std::int16_t pcm[32];
        windowSamples<L>(window, &st.history[st.ring], fullRate, pcm);
        put(pcm);
    }
}

template <int L>
[[gnu::always_inline]] inline void filterSlots(SynthesisState st, const Gains& gains,
                                               const float (*slots)[32], int count) {
    using F = typename Lanes<L>::Floats;
    for (int base = 0; base < count; base += L) {
        const int n = std::min(L, count - base);
        // The slots' subbands into lanes: in[k] holds subband k of the L slots (missing slots
        // at the end are zeros), by transposes of L x L blocks.
        static constexpr float kZeros[32] = {};
        F in[32];
        for (int block = 0; block < 32 / L; ++block) {
            F rows[L];
            for (int s = 0; s < L; ++s) {
                const float* row = s < n ? slots[base + s] : kZeros;
                std::memcpy(&rows[s], row + L * block, sizeof(F));
            }
            transposeBlock(rows);
            for (int i = 0; i < L; ++i) in[L * block + i] = rows[i];
        }
        filterBatch<L>(st, in, n, gains);
    }
}

template <int L>
[[gnu::always_inline]] inline void filterSubbands(SynthesisState st, const Gains& gains,
                                                  const float* subbands, int stride, int count,
                                                  int kept) {
    using F = typename Lanes<L>::Floats;
    kept = std::clamp(kept, 0, 32);
    for (int base = 0; base < count; base += L) {
        const int n = std::min(L, count - base);
        // L slots of one subband lie side by side already: one load each.
        F in[32];
        for (int k = 0; k < kept; ++k) {
            std::memcpy(&in[k], subbands + k * stride + base, sizeof(F));
        }
        for (int k = kept; k < 32; ++k) in[k] = F{};
        filterBatch<L>(st, in, n, gains);
    }
}

#ifdef VELT_SIMD_DISPATCH
VELT_V3_FUSED void filterSlotsV3(SynthesisState st, const Gains& gains, const float (*slots)[32],
                                 int count) {
    filterSlots<8>(st, gains, slots, count);
}
VELT_V3_FUSED void filterSubbandsV3(SynthesisState st, const Gains& gains, const float* subbands,
                                    int stride, int count, int kept) {
    filterSubbands<8>(st, gains, subbands, stride, count, kept);
}
// The baseline's vectors.
constexpr int kBaseLanes = 4;
#else
constexpr int kBaseLanes = 8;
#endif

}  // namespace

void fastCosineTransform32(const float* in, float* out) {
    cosineTransform(in, out);
}

void SynthesisChannel::clear() {
    for (auto& v : history_) v.fill(0.0f);
    ring_ = 0;
}

void SynthesisChannel::synthesize(const float* subbands) {
    synthesizeSlots(reinterpret_cast<const float(*)[32]>(subbands), 1);
}

void SynthesisChannel::synthesizeSlots(const float (*slots)[32], int count) {
    const SynthesisState st{history_, ring_, out_, step_, shift_};
#ifdef VELT_SIMD_DISPATCH
    if (useV3Build()) return filterSlotsV3(st, gains_, slots, count);
#endif
    filterSlots<kBaseLanes>(st, gains_, slots, count);
}

void SynthesisChannel::synthesizeSubbands(const float* subbands, int stride, int count, int kept) {
    const SynthesisState st{history_, ring_, out_, step_, shift_};
#ifdef VELT_SIMD_DISPATCH
    if (useV3Build()) return filterSubbandsV3(st, gains_, subbands, stride, count, kept);
#endif
    filterSubbands<kBaseLanes>(st, gains_, subbands, stride, count, kept);
}

void SynthesisChannel::silentSlot() {
    const int count = 32 >> shift_;
    for (int i = 0; i < count; ++i) {
        *out_ = 0;
        out_ += step_;
    }
}

}  // namespace velt::mpeg
