// One channel of the polyphase synthesis filterbank (ISO/IEC 11172-3, 2.4.3.2.2): each slot of
// 32 subband samples (full scale = 1.0) becomes 32 16-bit PCM samples, written straight into the
// frame's PCM buffer at the channel's own position and step, so that two channels interleave.
//
// Rate reduction by 2 or 4 (shift 1 or 2) keeps only every second or fourth output sample; the
// layer decoders have already silenced the subbands above the kept band. Sums are rounded to the
// nearest integer (ties to even) at full rate, truncated toward zero with reduction, and clamped
// to -32768..32767. No allocation happens per slot.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace velt::mpeg {

// Vectors in a synthesis channel's ring (see SynthesisChannel::history_).
inline constexpr int kSynthesisRing = 19;

class SynthesisChannel {
  public:
    SynthesisChannel() { clear(); }

    // Silence: empties the filter history (used when the stream is flushed or repositioned).
    void clear();

    // Rate reduction shift 0, 1 or 2 (other values count as 0).
    void setReduction(int shift) { shift_ = (shift == 1 || shift == 2) ? shift : 0; }
    int reduction() const { return shift_; }

    // Where the next sample goes and how many samples separate consecutive ones (1 for a single
    // output channel, 2 for interleaved stereo). The caller's buffer must hold the whole frame.
    void setOutput(std::int16_t* out, int step) {
        out_ = out;
        step_ = step;
    }
    std::int16_t* output() const { return out_; }
    int outputStep() const { return step_; }

    // Per-subband gains applied before synthesis; none by default.
    void setGains(const std::optional<std::array<float, 32>>& gains) { gains_ = gains; }
    const std::optional<std::array<float, 32>>& gains() const { return gains_; }

    // Filters one slot of 32 subband samples and writes 32 >> shift samples.
    void synthesize(const float* subbands);
    // Filters `count` consecutive slots, as many calls of synthesize would (but faster).
    void synthesizeSlots(const float (*slots)[32], int count);
    // The same from subband-major storage: sample of slot s in subband k at
    // subbands[k * stride + s]; `stride` must be at least `count` rounded up to a multiple of 8
    // (the values past `count` are read and ignored). Subbands from `kept` up count as zero.
    void synthesizeSubbands(const float* subbands, int stride, int count, int kept = 32);
    // Writes 32 >> shift zero samples; the filter history is left as it is.
    void silentSlot();

  private:
    // The 16 most recent vectors V in single precision: the windowing is a plain float
    // multiply-add the compiler vectorises.
    // A ring of 19 vectors: the 16 most recent ones and room for the next three, so that up to
    // four slots can be windowed together. Each vector is kept twice, at its place and 19
    // places on, so
    // that the vectors from the newest on always lie one after the other.
    std::array<std::array<float, 64>, 2 * kSynthesisRing> history_{};
    int ring_ = 0;  // index of the newest vector
    int shift_ = 0;
    std::int16_t* out_ = nullptr;
    int step_ = 1;
    std::optional<std::array<float, 32>> gains_;
};

// Turns a filter sum into a sample: nearest integer with ties to even at full rate, truncation
// toward zero with rate reduction; clamped to -32768..32767 (a sum that is not a number gives
// -32768). The synthesis does the same four samples at a time. Adding and taking away
// 1.5 x 2^52 leaves the sum rounded to a whole number by the floating-point unit's
// round-to-nearest-even, the mode every C++ program starts in and this one never changes.
inline constexpr double kRoundToWhole = 6755399441055744.0;  // 1.5 x 2^52

inline std::int16_t pcmSample(double sum, bool fullRate) {
    // Clamping first gives the same result (the bounds are whole numbers) and keeps the
    // conversion in range.
    const double c = std::min(32767.0, std::max(-32768.0, sum));
    const double whole = fullRate ? (c + kRoundToWhole) - kRoundToWhole : c;
    return static_cast<std::int16_t>(static_cast<std::int32_t>(whole));  // toward zero
}

// The 32-point cosine transform X[m] = sum_k in[k] cos(m (2k + 1) pi / 64), m = 0..31, computed
// by even/odd splitting in O(n log n); the matrixing of the filter is built from it.
void fastCosineTransform32(const float* in, float* out);

}  // namespace velt::mpeg
