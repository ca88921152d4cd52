#include "desk/instruments/pitch_coverage.h"

namespace velt::desk {

std::array<long, 128> PitchCoverage(const std::vector<CoverageRow>& melodicRows, int masterMin,
                                    int masterMax) {
    std::array<long, 128> colours{};
    for (int note = 0; note < 128; ++note) {
        int count = 0;
        for (const CoverageRow& row : melodicRows) {
            if (row.active && row.keyMin <= note && note <= row.keyMax) ++count;
        }
        const bool inside = masterMin <= note && note <= masterMax;
        if (inside) {
            colours[note] = count == 0 ? kCoverageNone : count == 1 ? kCoverageOne : kCoverageMany;
        } else {
            colours[note] = count == 0 ? kCoverageOutside : kCoverageBeyond;
        }
    }
    return colours;
}

}  // namespace velt::desk
