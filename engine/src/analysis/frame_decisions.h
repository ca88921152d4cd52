// Frame note decisions: which keys sound in the current frame and how strongly, written into
// the frame history cells of the current ring slot. Both decisions (polyphonic and single line)
// work on the parameters, rows and cells they are given.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "analysis/analysis_types.h"

namespace velt::engine {

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

struct SingleLineParams {
    int firstKey = 0;             // lowest key decided
    int lastKey = kKeyCount - 1;  // highest key decided
    int keyMax = kKeyCount - 1;   // the range's KeyMax: cells are written up to here
    int harmonicTop = -1;         // highest key the harmonic walk reads (at least keyMax)
    int lowKey = 0;               // lowest measured key; keys below are judged by harmonics
    bool partSelected = false;    // part 0 is analysed in this pass: its key range bounds the line
    int partKeyMin = 127;         // part 0's range (127 and 0: none)
    int partKeyMax = 0;
    bool brightness = false;     // a brightness controller is sent: measure the brightness
    bool singleKeyMode = false;  // drums: the measured level is stored as it is
    double gain = 1;             // the project's Gain / 100
    std::array<int, 12> harmonicOffsets{};  // index 1..11: key distance of harmonic i
};

// The rows the single line reads and writes, indexed by key.
struct SingleLineRows {
    std::span<float> levels;    // measured levels; extrapolated harmonics are written back
    std::span<float> bends;     // 1/32 semitone; a glide's bend moves to the kept key
    std::span<int> noteLevels;  // out: the chosen key's summed level, 0 elsewhere
    std::span<const uint8_t> keyEnabled;
};

// Single line: the key whose harmonics best explain the frame (most energy at its harmonics,
// least between them); a step of one key within half a semitone stays a bend of the last key,
// and the key written is always the one nearest the pitch (bends within half a semitone).
// The choice goes into line and, times the gain, into the slot's cells.
void DecideSingleLineFrame(const SingleLineParams& params, const SingleLineRows& rows,
                           SingleLineState& line, const SlotCells& cells);

}  // namespace velt::engine
