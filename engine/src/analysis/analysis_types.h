// State owned by the key measurement, the note decisions and the note tracker. The run state
// (driver/run_state.h) composes AnalysisState so that a fresh run starts from a clean slate.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velt::engine {

constexpr int kKeyCount = 128;   // MIDI keys
constexpr int kSlotCount = 384;  // frames in the ring of the frame history

// One cell of the frame history: what the note decisions found for one key in one frame.
struct HistoryCell {
    int32_t level = 0;       // decided level times the gain, 0 = silent
    int32_t bend = 0;        // fine offset in 1/32 semitone
    int32_t brightness = 0;  // 1..127, 0 = none
};

// One resonator of the bank: three Hann-windowed sine/cosine windows tuned a third of a semitone
// below, on and above the key.
struct KeyRecord {
    std::array<double, 3> period{};       // samples per cycle of each window
    std::array<int32_t, 3> tableStart{};  // first entry of each window in the shared tables
    std::array<int32_t, 3> length{};      // window length in samples (17 periods)
    int32_t minFrames = 0;                // shortest note of this key, in frames
    std::array<double, 3> normaliser{};   // entries x 32767^2
};

constexpr int kFineResponseCount = 257;
constexpr int kFineResponseCentre = 114;  // the entry of an exactly tuned sine

struct ResonatorBank {
    std::vector<KeyRecord> records;  // indexed by key; keys below LowKey - 1 stay zero
    // Window entries fit 16 bits (|entry| <= 32767), which halves the memory the correlation
    // streams through; the results are those of 32-bit tables.
    std::vector<int16_t> sineTable;
    std::vector<int16_t> cosineTable;
    std::array<double, kFineResponseCount> fineResponse{};
    std::vector<double> energies;      // E(k) of the current frame, indexed by key
    std::vector<int16_t> framePlanes;  // the frame split into byte planes for the correlation
    int firstKey = 0;                  // LowKey - 1
    int lastKey = -1;                  // KeyMax + 1, or harmonicTop + 1 for a single line
    // Highest key whose level the single-line harmonic walk reads. A single line from KeyMin
    // measures up to two octaves above KeyMax so that a key near KeyMax is scored over its
    // harmonics like any other, not on its own level alone; those keys are never candidates or
    // decisions.
    int harmonicTop = -1;
};

// The single-line decision's memory of its last choice.
struct SingleLineState {
    int LastKey = 0;
    float LastBend = 0;
    std::array<int, kKeyCount + 2> brightness{};  // per key, this frame's brightness value
};

// The note tracker's record of one key.
struct NoteState {
    int32_t level = 0;
    int32_t previous = 0;
    int32_t peak = 0;
    int32_t expression = 0;
    int32_t frames = 0;
    int32_t confirmed = 0;
    int32_t sounding = 0;
    int32_t release = 0;
    int32_t start = 0;
    int32_t bend = 0;
    int32_t reattack = 0;
    int32_t rising = 0;
    int32_t sentThisTick = 0;
    int32_t expressionSent = 0;
    int32_t bendSent = 0;
    int32_t deferredRelease = 0;
    int32_t brightness = 0;
};

// Instrument filter templates: per key slot 0..109, 3 x 3 segments of 129 key bins.
constexpr int kFilterKeySlots = 110;
constexpr int kFilterBins = 129;
constexpr int kFilterSegments = 9;

struct FilterState {
    std::vector<float> table;  // empty until loaded; then kFilterKeySlots x 9 x kFilterBins
    std::array<std::vector<float>, 3> history;  // the last three frames' key levels, oldest first
    int lastIterations = 0;                     // iterations of the last matching (for tests)

    // Each key's template as its non-zero values over the observation (segment x key), with its
    // squared norm; made on the first matching of a run, for the key range then in force.
    std::vector<std::vector<std::pair<int, double>>> sparse;
    std::vector<double> norm;
    int sparseKeyMin = -1;
    int sparseTopKey = -1;

    // Scratch of one matching, fixed in size so that the frame path allocates nothing: the
    // observation (segment x key, the first 9 x key count entries in use) and the coefficients.
    std::array<double, size_t{kFilterSegments} * kKeyCount> observation{};
    std::array<double, kKeyCount> coefficient{};

    float at(int key, int i, int j, int bin) const {
        return table[((key * 3 + i) * 3 + j) * kFilterBins + bin];
    }
};

struct TrackerState {
    int tickCounter = 0;  // hops since the last event; negative during the look-ahead
    int framePhase = 0;
    int leadingSilence = 1;
    int lastTempo = 0;
    std::string lastChord = "N/C";
    std::vector<NoteState> notes;  // indexed by key
    std::vector<int> lastBendSent;
    std::vector<int> lastBrightnessSent;
};

// State shared between the block loop, the key measurement, the note decisions and the tracker.
struct AnalysisState {
    std::vector<int> samples;  // current block: element 0 unused, samples from 1
    std::vector<HistoryCell> history = std::vector<HistoryCell>(kKeyCount * kSlotCount);
    int slot = -1;  // ring position; -1 = ring empty
    std::vector<float> KeyLevel = std::vector<float>(kKeyCount + 2);
    std::vector<float> KeyBend = std::vector<float>(kKeyCount + 2);  // 1/32 semitone
    std::vector<int> NoteLevel = std::vector<int>(kKeyCount + 2);
    std::vector<uint8_t> KeyEnabled = std::vector<uint8_t>(kKeyCount + 2, 1);
    std::vector<int> beatLengths = std::vector<int>(kSlotCount);  // per-slot beat length, ms
    std::array<int64_t, 12> pitchClassTotals{};                   // for key detection
    double TuningSum = 0;
    double TuningWeight = 0;

    // Owned by the key measurement, note decisions and note tracker.
    std::array<int, 12> HarmonicOffsets{};  // index 1..11: key distance of harmonic i
    ResonatorBank bank;
    SingleLineState singleLine;
    TrackerState tracker;
    FilterState filter;

    HistoryCell& cell(int key, int slotIndex) { return history[key * kSlotCount + slotIndex]; }
};

}  // namespace velt::engine
