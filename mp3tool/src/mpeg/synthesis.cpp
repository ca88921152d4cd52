// Polyphase synthesis: matrixing through a fast cosine transform, windowing over the 16 most
// recent vectors, rounding and clamping to 16-bit samples.
#include "mpeg/synthesis.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "mpeg/synthesis_window.h"

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
// the sums of neighbouring outputs of the half-size transform of the scaled differences. It is
// run flat, stage by stage over all blocks of one size, so that each stage is a short loop the
// compiler unrolls and vectorises; every value is computed exactly as the recursion does.

// Splits each block of N values into the sums (first half) and the scaled differences (second
// half), which the next stage treats as blocks of N / 2.
template <int N>
[[gnu::always_inline]] inline void splitStage(const float* in, float* out, const float* factors) {
    for (int block = 0; block < 32; block += N) {
        for (int k = 0; k < N / 2; ++k) {
            const float a = in[block + k];
            const float b = in[block + N - 1 - k];
            out[block + k] = a + b;
            out[block + N / 2 + k] = (a - b) * factors[k];
        }
    }
}

// Joins the transforms of the two halves of each block of N values: the evens interleaved with
// the sums of neighbouring odds.
template <int N>
[[gnu::always_inline]] inline void joinStage(const float* in, float* out) {
    for (int block = 0; block < 32; block += N) {
        const float* evens = in + block;
        const float* odds = in + block + N / 2;
        for (int m = 0; m < N / 2 - 1; ++m) {
            out[block + 2 * m] = evens[m];
            out[block + 2 * m + 1] = odds[m] + odds[m + 1];
        }
        out[block + N - 2] = evens[N / 2 - 1];
        out[block + N - 1] = odds[N / 2 - 1];
    }
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

// Windowing: sample j = sum over the 16 most recent vectors t of D[32t + j] times entry j
// (t even) or entry 32 + j (t odd) of vector t, then the sum made a sample as pcmSample does.
// Eight samples at a time in single precision in the compiler's vector types (which it maps
// onto whatever vector unit the processor has): the sums stay far inside the 0.289 LSB RMS of
// full accuracy, as the decoders users compare with also do. Each sample's sum adds its 16
// terms in the order of t. On x86-64 the function is built twice, for AVX2 and for the
// baseline processor, and the loader picks the one the processor runs.
using Floats8 = float __attribute__((vector_size(32)));
using Floats4 = float __attribute__((vector_size(16)));
using Doubles4 = double __attribute__((vector_size(32)));
using Ints4 = std::int32_t __attribute__((vector_size(16)));

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target_clones("avx2", "default")))
#endif
void windowSamples(const float* d, const std::array<std::array<float, 64>, 16>& history, int ring,
                   bool fullRate, std::int16_t* pcm) {
    Floats8 acc[4] = {};
    for (int t = 0; t < 16; ++t) {
        const float* vt = history[(ring + t) & 15].data() + ((t & 1) ? 32 : 0);
        const float* dt = d + 32 * t;
        for (int b = 0; b < 4; ++b) {
            Floats8 dv;
            Floats8 vv;
            std::memcpy(&dv, dt + 8 * b, sizeof dv);
            std::memcpy(&vv, vt + 8 * b, sizeof vv);
            acc[b] += dv * vv;
        }
    }
    float sums[32];
    std::memcpy(sums, acc, sizeof sums);
    const Doubles4 low = {-32768.0, -32768.0, -32768.0, -32768.0};
    const Doubles4 high = {32767.0, 32767.0, 32767.0, 32767.0};
    const Doubles4 toWhole = {kRoundToWhole, kRoundToWhole, kRoundToWhole, kRoundToWhole};
    for (int b = 0; b < 8; ++b) {
        Floats4 f;
        std::memcpy(&f, sums + 4 * b, sizeof f);
        const Doubles4 sum = __builtin_convertvector(f, Doubles4);
        Doubles4 c = sum > low ? sum : low;  // also a sum that is not a number
        c = c < high ? c : high;
        if (fullRate) c = (c + toWhole) - toWhole;
        const Ints4 whole = __builtin_convertvector(c, Ints4);  // toward zero
        for (int i = 0; i < 4; ++i) pcm[4 * b + i] = static_cast<std::int16_t>(whole[i]);
    }
}

}  // namespace

void fastCosineTransform32(const float* in, float* out) {
    const float* f = butterflyFactors().data();
    float a[32];
    float b[32];
    splitStage<32>(in, a, f);
    splitStage<16>(a, b, f + 16);
    splitStage<8>(b, a, f + 24);
    splitStage<4>(a, b, f + 28);
    splitStage<2>(b, a, f + 30);
    // Blocks of one value are their own transform.
    joinStage<2>(a, b);
    joinStage<4>(b, a);
    joinStage<8>(a, b);
    joinStage<16>(b, a);
    joinStage<32>(a, out);
}

void SynthesisChannel::clear() {
    for (auto& v : history_) v.fill(0.0f);
    ring_ = 0;
}

void SynthesisChannel::synthesize(const float* subbands) {
    float samples[32];
    for (int i = 0; i < 32; ++i) samples[i] = gains_ ? subbands[i] * (*gains_)[i] : subbands[i];

    // Matrixing V[i] = sum_k cos((16 + i)(2k + 1) pi / 64) S[k], i = 0..63, from X = the
    // transform above: X[32] = 0, X[64 - m] = -X[m] and X[64 + m] = -X[m].
    float x[32];
    fastCosineTransform32(samples, x);
    ring_ = (ring_ + 15) & 15;
    std::array<float, 64>& v = history_[ring_];
    for (int i = 0; i < 16; ++i) v[i] = x[16 + i];
    v[16] = 0.0f;
    for (int i = 17; i < 48; ++i) v[i] = -x[48 - i];
    for (int i = 48; i < 64; ++i) v[i] = -x[i - 48];

    std::int16_t pcm[32];
    windowSamples(scaledWindow().data(), history_, ring_, shift_ == 0, pcm);
    const int every = 1 << shift_;
    for (int j = 0; j < 32; j += every) {
        *out_ = pcm[j];
        out_ += step_;
    }
}

void SynthesisChannel::silentSlot() {
    const int count = 32 >> shift_;
    for (int i = 0; i < count; ++i) {
        *out_ = 0;
        out_ += step_;
    }
}

}  // namespace velt::mpeg
