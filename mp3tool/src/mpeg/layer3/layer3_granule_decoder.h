// The Layer III granule decoder: from a frame's side information and main data it reads the
// scale factors and Huffman data, requantises, applies stereo processing and the hybrid
// filterbank, giving 18 slots of 32 subband samples per granule and channel for the polyphase
// synthesis. It keeps the overlap memory and granule 0's scale factors (for scfsi) between
// calls; the bit reservoir belongs to the frame reader.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "mpeg/layer3/huffman_decoder.h"
#include "mpeg/layer3/hybrid_filterbank.h"
#include "mpeg/layer3/scale_factors.h"
#include "mpeg/layer3/side_info.h"
#include "mpeg/layer3/stereo.h"

namespace velt::mpeg::layer3 {

struct Layer3Output {
    int granules = 0;  // 2 for MPEG-1, 1 for the low sampling rates
    int channels = 0;
    SubbandSlots slots[2][2] = {};  // [granule][channel], each [subband][slot]
};

class Layer3GranuleDecoder {
  public:
    // Decodes every granule of a frame. `mainData` starts at the frame's main_data_begin and
    // holds the part2_3_length bits of all granules (bits past it read as 0). `subbandLimit`
    // (32, 16 or 8) bounds the decoded band for rate reduction: subbands above it are 0.
    void decodeGranules(const FrameFormat& format, const SideInfo& side,
                        std::span<const uint8_t> mainData, int subbandLimit, Layer3Output& out);

    // Forgets the overlap memory (flush, seek, and frames whose main data is missing).
    void clearOverlap();

  private:
    void decodeGranule(const FrameFormat& format, const SideInfo& side,
                       std::span<const uint8_t> mainData, int granule, size_t& bitPosition,
                       int subbandLimit, Layer3Output& out);

    std::array<HybridFilterbank, 2> filterbank_;
    std::array<ScaleFactors, 2> scaleFactors_;
    std::array<int, kGranuleLines> values_{};
    std::array<Spectrum, 2> lines_{};
};

}  // namespace velt::mpeg::layer3
