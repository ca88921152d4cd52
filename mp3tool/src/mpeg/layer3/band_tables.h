// Scale-factor band boundaries of Layer III, typed from ISO/IEC 11172-3 Table B.8 (MPEG-1) and
// ISO/IEC 13818-3 Table B.2 (low sampling rates), plus the MPEG 2.5 rates.
//
// Rates are numbered 0..8: MPEG-1 44.1, 48, 32 kHz; MPEG-2 22.05, 24, 16 kHz; MPEG 2.5 11.025,
// 12, 8 kHz. Long boundaries are line indices rising from 0 to 576 (22 bands); short boundaries
// are per-window line indices rising from 0 to 192 (13 bands).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velt::mpeg::layer3 {

inline constexpr int kLongBands = 22;
inline constexpr int kShortBands = 13;
inline constexpr int kRateCount = 9;

struct BandTable {
    std::array<uint16_t, kLongBands + 1> longStart;
    std::array<uint16_t, kShortBands + 1> shortStart;
};

// The long part of a mixed block: the long bands below the start of short band 3, which is
// line 36 at every rate but 8 kHz (72); short bands 3..12 follow.
struct MixedSplit {
    int longBands = 0;  // long bands 0 .. longBands - 1
    int longLines = 0;  // lines they hold
    int firstShortBand = 3;
};
MixedSplit mixedSplit(const BandTable& bands);

// versionCode: 1 MPEG-1, 0 MPEG-2, 2 MPEG 2.5; samplingIndex 0..2.
int rateIndex(int versionCode, int samplingIndex);
const BandTable& bandTable(int rateIndex);

}  // namespace velt::mpeg::layer3
