// The Layer III frame decoder: side information, main data from the bit reservoir, scale
// factors, Huffman decoding, requantisation, stereo processing and the hybrid filterbank. It
// turns one frame into 18 slots of 32 subband samples per granule and channel, ready for the
// polyphase synthesis.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "mpeg/layer3/huffman_decoder.h"
#include "mpeg/layer3/hybrid_filterbank.h"
#include "mpeg/layer3/main_data_reservoir.h"
#include "mpeg/layer3/scale_factors.h"
#include "mpeg/layer3/side_info.h"
#include "mpeg/layer3/stereo.h"

namespace velt::mpeg::layer3 {

struct Layer3Output {
    int granules = 0;  // 2 for MPEG-1, 1 for the low sampling rates; 0 for a damaged frame
    int channels = 0;
    std::array<std::array<SubbandSlots, 2>, 2> slots{};  // [granule][channel]
};

enum class Layer3Status {
    Decoded,  // the frame decoded into `slots`
    Silent,   // its main data lies before the reservoir's bytes: silent slots, overlap cleared
    Damaged,  // impossible side information or main-data size: no output, drop the frame
};

class Layer3Decoder {
  public:
    // `body`: the frame's bytes after the header and after the CRC word, if any (side
    // information, then main data). `subbandLimit` (32, 16 or 8) bounds the decoded band for
    // rate reduction; subbands above it are zero.
    Layer3Status decodeFrame(const FrameFormat& format, std::span<const uint8_t> body,
                             int subbandLimit, Layer3Output& out);

    // Forgets the reservoir and the overlap memory (flush, seek).
    void flush();
    // Forgets the reservoir only (loss of sync: later back-pointers must not reach foreign
    // bytes).
    void resetReservoir() { reservoir_.reset(); }

  private:
    void decodeGranule(const FrameFormat& format, std::span<const uint8_t> mainData, int granule,
                       size_t& bitPosition, int subbandLimit, Layer3Output& out);

    MainDataReservoir reservoir_;
    std::array<HybridFilterbank, 2> filterbank_;
    SideInfo side_;
    std::array<ScaleFactors, 2> scaleFactors_;
    std::array<int, kGranuleLines> values_{};
    std::array<Spectrum, 2> lines_{};
};

}  // namespace velt::mpeg::layer3
