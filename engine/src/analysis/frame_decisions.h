// Frame note decisions: which keys sound in the current frame and how strongly, written into
// the frame history cells of the current ring slot. The polyphonic decision works on what it is
// given; the single line and the filter matching still read the run state (analysis_api.h).
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "analysis/analysis_types.h"

namespace velt::engine {

struct RunState;

struct PolyDecisionParams {
    int firstKey = 0;             // lowest key decided
    int lastKey = kKeyCount - 1;  // highest key decided
    int harmonicTop = kKeyCount;  // highest key a harmonic is taken from (the range's KeyMax)
    double gain = 1;              // the project's Gain / 100, applied to the decided levels
    std::array<int, 12> harmonicOffsets{};  // index 2..11: key distance of harmonic i
};

// The cells of one ring slot in the frame history (kSlotCount cells per key).
struct SlotCells {
    std::span<HistoryCell> history;
    int slot = 0;

    // nullptr outside the history.
    HistoryCell* at(int key) const;
};

// Polyphonic decision: walk the keys upwards; each key's harmonics are predicted from an
// exponential fit of the amounts taken so far and removed from the keys above (levels loses
// them), so that a low note's overtones do not come out as notes of their own. Enabled keys get
// their level and bend (1/32 semitone, from bends) in the slot's cells, times the gain.
void DecidePolyphonicFrame(const PolyDecisionParams& params, std::span<float> levels,
                           std::span<const float> bends, std::span<const uint8_t> keyEnabled,
                           const SlotCells& cells);

// The decision's parameters from the run's settings, geometry and harmonic table.
PolyDecisionParams PolyDecisionParamsOf(const RunState& state);

}  // namespace velt::engine
