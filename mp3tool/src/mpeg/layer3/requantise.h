// Requantisation of Layer III spectral values (ISO/IEC 11172-3 2.4.3.4):
// xr = sign(x) |x|^(4/3) 2^((global_gain - 210) / 4 - 2 subblock_gain
//      - (scalefac_scale + 1) / 2 (scalefac + preflag pretab)).
// Short-block lines are stored in subband order: window w's line k of subband sb lands at
// sb * 18 + w * 6 + k, ready for the three short transforms of that subband.
#pragma once

#include <array>

#include "mpeg/layer3/band_tables.h"
#include "mpeg/layer3/huffman_decoder.h"
#include "mpeg/layer3/scale_factors.h"

namespace velt::mpeg::layer3 {

// |x| of a Huffman value reaches 15 + 2^13 - 1 = 8206 (table 23 or 31, 13 linbits).
inline constexpr int kPow43Size = 8207;

// |n|^(4/3) for 0 <= n < kPow43Size; values outside give 0.
float pow43(int n);

void requantise(const GranuleChannel& gc, const ScaleFactors& sf, const BandTable& bands,
                const std::array<int, kGranuleLines>& values, int decodedLines,
                std::array<float, kGranuleLines>& xr);

}  // namespace velt::mpeg::layer3
