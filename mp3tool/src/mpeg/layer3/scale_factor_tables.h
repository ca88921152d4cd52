// Scale-factor coding tables of Layer III.
//
// kSlen1/kSlen2: bit widths by MPEG-1 scalefac_compress (ISO/IEC 11172-3, 2.4.2.7).
// kPretab: the pre-emphasis added to long-band scale factors when preflag is set (Table B.6).
// kLsfBandsPerPartition: band counts of the four scale-factor partitions of the low sampling
// rates (ISO/IEC 13818-3, Table B.1 "nr_of_sfb_block"), by table 0..5 and block kind (long,
// short, mixed); short and mixed counts after the first mixed partition are in window values
// (three per band).
#pragma once

#include <array>
#include <cstdint>

namespace velt::mpeg::layer3 {

inline constexpr std::array<uint8_t, 16> kSlen1 = {0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4};
inline constexpr std::array<uint8_t, 16> kSlen2 = {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3};

inline constexpr std::array<uint8_t, 22> kPretab = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                    1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

enum BlockKind { kLongBlock = 0, kShortBlock = 1, kMixedBlock = 2 };

inline constexpr uint8_t kLsfBandsPerPartition[6][3][4] = {
    {{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},
    {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
    {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}},
    {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
    {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},
    {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}},
};

// What an LSF scalefac_compress value selects (ISO/IEC 13818-3, 2.4.3.2). Every value 0..511
// maps to one of the six partition tables.
struct LsfScaleFactorLayout {
    int table = 0;              // 0..5, row of kLsfBandsPerPartition
    std::array<int, 4> slen{};  // bits per scale factor in each partition
    bool preflag = false;
};

// intensityRight: the right channel of a frame with intensity stereo, which codes the
// intensity positions with the halved value.
LsfScaleFactorLayout lsfScaleFactorLayout(int scalefacCompress, bool intensityRight);

}  // namespace velt::mpeg::layer3
