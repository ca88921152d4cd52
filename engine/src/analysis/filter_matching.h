// Instrument-filter matching: the last three frames' key levels are explained as a sum of the
// instrument's note templates, one key at a time (matching pursuit), and each chosen key sounds
// with its coefficient as level.
#pragma once

#include <cstdint>
#include <span>

#include "analysis/analysis_types.h"
#include "analysis/frame_decisions.h"

namespace velt::engine {

struct FilterMatchParams {
    int keyMin = 0;              // lowest key decided
    int topKey = kKeyCount - 1;  // highest key decided (the templates cover up to 109)
    int keyMax = kKeyCount - 1;  // highest key kept in the three-frame history
    int polyphony = 1;           // most keys chosen
    bool partSelected = false;   // part 0 is analysed in this pass: its keys may be chosen
    int partKeyMin = 127;        // part 0's key range
    int partKeyMax = 0;
    double gain = 1;  // the project's Gain / 100
};

// The rows the matching reads, indexed by key.
struct FilterMatchRows {
    std::span<const float> levels;  // measured levels
    std::span<const float> bends;   // 1/32 semitone
    std::span<const uint8_t> keyEnabled;
};

// Readies filter for frames of params: the three-frame history sized, the templates' non-zero
// values for the key range gathered. The set-up calls it once; a frame does it when it is not done.
void PrepareFilterMatching(const FilterMatchParams& params, FilterState& filter);

// Decides one frame into the slot's cells with the templates and history in filter.
void MatchFilterFrame(const FilterMatchParams& params, const FilterMatchRows& rows,
                      FilterState& filter, const SlotCells& cells);

}  // namespace velt::engine
