// The Layer III frame decoder, behind the MPEG decoder's layer seam: takes the side information
// from the frame reader, asks it for the frame's main data out of the bit reservoir, has the
// granule decoder decode the granules and hands the slots to synthesis by the routing.
//
// A frame whose side information is impossible, or whose part2_3_length bits exceed what the
// reservoir and the frame hold, is refused (-700); its main data still counts in the reservoir
// for the frames after it. A frame whose back-pointer reaches before the reservoir's bytes
// gives silent slots and clears the overlap memory.
#pragma once

#include <array>
#include <cstdint>

#include "mpeg/frame_context.h"
#include "mpeg/layer3/layer3_granule_decoder.h"

namespace velt::mpeg::layer3 {

class Layer3FrameDecoder : public LayerDecoder {
  public:
    int decode(FrameContext& frame) override;
    void flush() override { granules_.clearOverlap(); }

  private:
    Layer3GranuleDecoder granules_;
    SideInfo side_;
    Layer3Output output_;
    std::array<uint8_t, 2048> mainData_{};  // up to 4 x 4095 bits of part2_3_length
};

}  // namespace velt::mpeg::layer3
