// The Layer III hybrid filterbank (ISO/IEC 11172-3 2.4.3.4.10): antialias butterflies, IMDCT
// (36-point for long blocks, three 12-point for short blocks) with the block type's window,
// overlap-add with the previous granule, and frequency inversion of the odd subbands.
#pragma once

#include <array>

#include "mpeg/layer3/huffman_decoder.h"
#include "mpeg/layer3/side_info.h"

namespace velt::mpeg::layer3 {

inline constexpr int kSubbands = 32;
inline constexpr int kSlots = 18;

// The filterbank's output for one granule: [subband][slot], each subband's 18 slots followed by
// six unused ones, so that the synthesis reads eight slots of a subband with one load.
inline constexpr int kSlotStride = 24;
using SubbandSlots = float[kSubbands][kSlotStride];

// The standard's antialias coefficients c_i, and cs_i = 1 / sqrt(1 + c_i^2), ca_i = c_i cs_i.
inline constexpr std::array<double, 8> kAntialiasC = {-0.6,   -0.535, -0.33,   -0.185,
                                                      -0.095, -0.041, -0.0142, -0.0037};
double antialiasCs(int i);
double antialiasCa(int i);

// Direct transforms, exposed for tests: the 36-point IMDCT of 18 lines and the 12-point IMDCT
// of 6 lines, x_i = sum_k X_k cos(pi / 2n (2i + 1 + n / 2)(2k + 1)).
void imdct36(const float* in, float* out);
void imdct12(const float* in, float* out);

// The window of block type 0..3 at position i of 36 (type 2: of 12).
float imdctWindow(int blockType, int i);

class HybridFilterbank {
  public:
    // Transforms one granule of one channel. `lines` is changed by the antialias step.
    // Subbands at and above `subbandLimit` output zero and forget their overlap.
    void process(const GranuleChannel& gc, std::array<float, kGranuleLines>& lines,
                 int subbandLimit, SubbandSlots& out);
    void clear() { overlap_.fill(0.0f); }

  private:
    std::array<float, kGranuleLines> overlap_{};
};

}  // namespace velt::mpeg::layer3
