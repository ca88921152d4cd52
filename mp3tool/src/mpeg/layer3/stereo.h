// Joint stereo reconstruction of one granule (ISO/IEC 11172-3 2.4.3.4.9 and 13818-3 2.4.3.2).
//
// Intensity stereo applies from the first band above the right channel's last non-zero line
// (per window for short blocks); below that bound, and in bands whose intensity position is
// illegal, mid/side applies when the frame uses it. MPEG-1 positions 0..6 split the left
// channel by tan(pos pi / 12); 7 (and above) means none. The low sampling rates scale one
// channel by the intensity scale raised to the position; the largest value a band can code is
// the illegal position.
#pragma once

#include <array>

#include "mpeg/layer3/band_tables.h"
#include "mpeg/layer3/huffman_decoder.h"
#include "mpeg/layer3/scale_factors.h"
#include "mpeg/layer3/side_info.h"

namespace velt::mpeg::layer3 {

using Spectrum = std::array<float, kGranuleLines>;

// `right` and `rightSf` describe channel 1, whose scale factors carry the intensity positions.
void processStereo(const FrameFormat& format, const GranuleChannel& right,
                   const ScaleFactors& rightSf, const BandTable& bands, Spectrum& left,
                   Spectrum& rightLines);

}  // namespace velt::mpeg::layer3
