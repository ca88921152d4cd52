// The ensemble editor's coverage strip: for each MIDI note, how many active melodic parts cover
// it, coloured against the master pitch range.
#pragma once

#include <array>
#include <vector>

namespace velt::desk {

struct CoverageRow {
    bool active = false;
    int keyMin = 0;
    int keyMax = 127;
};

// Colours as 0xBBGGRR, the form runtime's colour order.
constexpr long kCoverageNone = 0x0000FF;     // red: inside the master range, no part
constexpr long kCoverageOne = 0x00FF00;      // green: one part
constexpr long kCoverageMany = 0x00FFFF;     // yellow: two or more parts
constexpr long kCoverageOutside = 0xFFFFFF;  // white: outside the master range, no part
constexpr long kCoverageBeyond = 0xFF0000;   // blue: outside the master range, covered

// The colour of each note 0..127. `melodicRows` are the parts 0..14 (the percussion part is never
// counted); the master range is masterMin..masterMax.
std::array<long, 128> PitchCoverage(const std::vector<CoverageRow>& melodicRows, int masterMin,
                                    int masterMax);

}  // namespace velt::desk
