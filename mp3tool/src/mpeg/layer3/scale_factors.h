// Layer III scale factors of one granule and channel (ISO/IEC 11172-3 2.4.2.7 and
// ISO/IEC 13818-3 2.4.3.2), with the largest value each band could code: in intensity-stereo
// frames of the low sampling rates that value marks an illegal intensity position.
#pragma once

#include <array>

#include "mpeg/layer3/band_tables.h"
#include "mpeg/layer3/main_data_bits.h"
#include "mpeg/layer3/side_info.h"

namespace velt::mpeg::layer3 {

struct ScaleFactors {
    std::array<int, kLongBands> longBand{};
    std::array<std::array<int, 3>, kShortBands> shortBand{};  // [band][window]
    std::array<int, kLongBands> longMax{};                    // (1 << slen) - 1 per band
    std::array<int, kShortBands> shortMax{};
    bool preflag = false;  // MPEG-1: from the side information; LSF: from scalefac_compress
};

// Reads one granule's scale factors and returns the bits read (part2). MPEG-1 granule 1 keeps
// the groups its scfsi bits name from `sf` as granule 0 left them.
int readScaleFactorsMpeg1(MainDataBits& bits, const GranuleChannel& gc,
                          const std::array<bool, 4>& scfsi, int granule, ScaleFactors& sf);
int readScaleFactorsLsf(MainDataBits& bits, const GranuleChannel& gc, bool intensityRight,
                        ScaleFactors& sf);

}  // namespace velt::mpeg::layer3
