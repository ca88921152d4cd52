#include "analysis/frame_decisions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "analysis/resonator_bank.h"

namespace velt::engine {
namespace {

// The polyphonic decision on inputs of its own: level and bend rows, enabled keys, a history.
TEST(PolyDecision, DecidesTheRowsItIsGiven) {
    PolyDecisionParams p;
    p.firstKey = 28;
    p.lastKey = 85;
    p.harmonicTop = 85;
    p.gain = 0.5;
    p.harmonicOffsets = {0, 0, 12, 19, 24, 28, 31, 34, 36, 38, 40, 42};
    std::vector<float> levels(kKeyCount + 2, 0.0f), bends(kKeyCount + 2, 0.0f);
    std::vector<uint8_t> enabled(kKeyCount + 2, 1);
    std::vector<HistoryCell> history(size_t(kKeyCount) * kSlotCount);
    levels[48] = 100;  // a tone and its second and third harmonics
    levels[60] = 60;
    levels[67] = 40;
    levels[90] = 70;  // above the decided keys: left alone
    bends[48] = 3.6f;
    enabled[67] = 0;
    history[size_t(67) * kSlotCount + 2].level = 55;  // a disabled key's cell is cleared
    DecidePolyphonicFrame(p, levels, bends, enabled, SlotCells{history, 2});
    auto cell = [&](int key) { return history[size_t(key) * kSlotCount + 2]; };
    EXPECT_EQ(cell(48).level, 100);  // (100 + 60 + 40) x 0.5
    EXPECT_EQ(cell(48).bend, 4);
    EXPECT_EQ(cell(60).level, 0);
    EXPECT_EQ(cell(67).level, 0);
    EXPECT_EQ(levels[60], 0.0f);  // the harmonics were taken from the rows
    EXPECT_EQ(cell(90).level, 0);
    EXPECT_EQ(levels[90], 70.0f);

    std::vector<HistoryCell> untouched(history);
    DecidePolyphonicFrame(p, levels, bends, enabled, SlotCells{history, kSlotCount});
    EXPECT_TRUE(std::equal(history.begin(), history.end(), untouched.begin(),
                           [](const HistoryCell& a, const HistoryCell& b) {
                               return a.level == b.level && a.bend == b.bend;
                           }));
}

// The single line on inputs of its own: the best-explained key, and a glide kept on its key.
TEST(SingleLineDecision, DecidesTheRowsItIsGiven) {
    SingleLineParams p;
    p.firstKey = p.lowKey = 28;
    p.lastKey = p.keyMax = p.harmonicTop = 85;
    p.gain = 0.5;
    p.harmonicOffsets = {0, 0, 12, 19, 24, 28, 31, 34, 36, 38, 40, 42};
    struct Case {
        const char* name;
        float bend;   // of key 48, 1/32 semitone
        int lastKey;  // the line's previous key
        int key;      // the key kept
        int keyBend;  // its bend
    };
    const Case cases[] = {
        {"a new key", 0, 60, 48, 0},
        {"a step within half a semitone stays a bend", -20, 47, 47, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> levels(kKeyCount + 2, 0.0f), bends(kKeyCount + 2, 0.0f);
        std::vector<int> notes(kKeyCount + 2, 0);
        std::vector<uint8_t> enabled(kKeyCount + 2, 1);
        std::vector<HistoryCell> history(size_t(kKeyCount) * kSlotCount);
        levels[48] = 100;
        levels[60] = 60;
        levels[67] = 40;
        bends[48] = c.bend;
        SingleLineState line;
        line.LastKey = c.lastKey;
        DecideSingleLineFrame(p, {levels, bends, notes, enabled}, line, SlotCells{history, 0});
        EXPECT_EQ(line.LastKey, c.key);
        EXPECT_EQ(notes[c.key], 200);
        EXPECT_EQ(history[size_t(c.key) * kSlotCount].level, 100);
        EXPECT_EQ(history[size_t(c.key) * kSlotCount].bend, c.keyBend);
        EXPECT_EQ(std::count_if(notes.begin(), notes.end(), [](int n) { return n != 0; }), 1);
    }
}

// Keys 28..85 with levels placed by hand, as the key measurement would leave them, decided into
// ring slot 3 with the parameters a run over that range (part 0 selected, gain 1) gives.
class FrameDecisions : public ::testing::Test {
  protected:
    void SetUp() override {
        analysis_ = AnalysisState{};
        analysis_.slot = 3;
        poly = PolyDecisionParams{};
        poly.firstKey = 28;
        poly.lastKey = poly.harmonicTop = 85;
        poly.harmonicOffsets = HarmonicOffsetTable();
    }
    AnalysisState& analysis() { return analysis_; }
    void levels(const std::map<int, float>& keyLevels) {
        for (auto [k, v] : keyLevels) analysis().KeyLevel[k] = v;
    }
    int level(int key) { return analysis().cell(key, 3).level; }
    SlotCells cells() { return SlotCells{analysis_.history, analysis_.slot}; }
    virtual void decide() {
        DecidePolyphonicFrame(poly, analysis_.KeyLevel, analysis_.KeyBend, analysis_.KeyEnabled,
                              cells());
    }

    PolyDecisionParams poly;

  private:
    AnalysisState analysis_;
};

TEST_F(FrameDecisions, HarmonicToneLeavesOnlyItsFundamentalWithTheSummedLevel) {
    levels({{48, 100}, {60, 60}, {67, 40}});
    decide();
    EXPECT_EQ(level(48), 200);
    EXPECT_EQ(level(60), 0);
    EXPECT_EQ(level(67), 0);
    EXPECT_EQ(analysis().KeyLevel[48], 100);  // the fundamental's own level is kept
}

TEST_F(FrameDecisions, ARealNoteOnAPartialSurvivesWithTheRemainder) {
    levels({{48, 100}, {60, 60}, {67, 140}});
    decide();
    EXPECT_EQ(level(48), 220);  // 100 + 60 + the predicted 60 taken from 67
    EXPECT_EQ(level(60), 0);
    EXPECT_EQ(level(67), 80);
}

TEST_F(FrameDecisions, AWeakHarmonicLowersTheAmountForTheFollowingOnes) {
    // The octave is weaker than the fundamental: it is zeroed and the amount drops to 30, so the
    // fifth above keeps all but 30 (the fit of 100, 30 predicts 9 there, below the amount).
    levels({{40, 100}, {52, 30}, {59, 50}});
    decide();
    EXPECT_EQ(level(40), 160);
    EXPECT_EQ(level(52), 0);
    EXPECT_EQ(level(59), 20);
}

TEST_F(FrameDecisions, GainBendAndDisabledKeys) {
    poly.gain = 1.5;
    levels({{50, 10}, {70, 21}});
    analysis().KeyBend[50] = -3.7f;
    analysis().KeyBend[70] = 4.5f;
    analysis().KeyEnabled[70] = 0;
    decide();
    EXPECT_EQ(level(50), 15);
    EXPECT_EQ(analysis().cell(50, 3).bend, -3);  // trunc(x + 0.5)
    EXPECT_EQ(level(70), 0);
    EXPECT_EQ(analysis().cell(70, 3).bend, 5);
    EXPECT_EQ(analysis().cell(50, 3).brightness, 0);
}

class SingleLine : public FrameDecisions {
  protected:
    void SetUp() override {
        FrameDecisions::SetUp();
        single = SingleLineParams{};
        single.firstKey = single.lowKey = single.partKeyMin = 28;
        single.lastKey = single.keyMax = single.harmonicTop = single.partKeyMax = 85;
        single.partSelected = true;
        single.brightness = true;
        single.harmonicOffsets = HarmonicOffsetTable();
    }
    void decide() override {
        AnalysisState& a = analysis();
        DecideSingleLineFrame(single, {a.KeyLevel, a.KeyBend, a.NoteLevel, a.KeyEnabled},
                              a.singleLine, cells());
    }
    SingleLineState& line() { return analysis().singleLine; }

    SingleLineParams single;
};

TEST_F(SingleLine, PicksTheKeyWhoseHarmonicsExplainTheFrame) {
    levels({{61, 100}, {73, 50}, {80, 30}, {85, 20}});
    decide();
    EXPECT_EQ(level(61), 200);
    for (int k : {49, 73, 80, 85}) EXPECT_EQ(level(k), 0) << k;
    EXPECT_EQ(line().LastKey, 61);
}

TEST_F(SingleLine, NoKeyAboveZeroDecidesNothingAndKeepsTheLastKey) {
    line().LastKey = 55;
    line().LastBend = 3;
    decide();
    for (int k = 28; k <= 85; ++k) ASSERT_EQ(level(k), 0);
    EXPECT_EQ(line().LastKey, 55);
    EXPECT_EQ(line().LastBend, 3);
}

// A step of one key that sounds within half a semitone of the last pitch stays a bend of the
// last key while that bend is within half a semitone; beyond it the nearer key is written.
TEST_F(SingleLine, AStepWithinHalfASemitoneBendsTheLastKeyUpToHalfASemitone) {
    struct Case {
        const char* name;
        int lastKey, lastBend;  // the line so far
        float bend61;           // the measured bend of the chosen key 61
        int key, keyBend;       // the key written and its bend
    };
    const Case cases[] = {
        {"a glide up stays on the last key", 60, 10, -18, 60, 14},
        {"a glide down stays on the last key", 62, -10, 20, 62, -12},
        // d = 0.22 and -0.06 semitones, but the last key would need a bend of 37 and -22.
        {"up, too far from the last key", 60, 30, 5, 61, 5},
        {"down, too far from the last key", 62, -20, 10, 61, 10},
        {"a key measured off by more than half", 30, 0, 20, 62, -12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        line().LastKey = c.lastKey;
        line().LastBend = float(c.lastBend);
        levels({{61, 100}, {73, 50}, {80, 30}, {85, 20}});
        analysis().KeyBend[61] = c.bend61;
        decide();
        EXPECT_EQ(level(c.key), 200);
        for (int k = 59; k <= 63; ++k) {
            if (k != c.key) {
                EXPECT_EQ(level(k), 0) << k;
            }
        }
        // The cell holds the bend rounded by trunc(x + 0.5): -12 is written as -11.
        EXPECT_EQ(analysis().cell(c.key, 3).bend, int(std::trunc(c.keyBend + 0.5)));
        EXPECT_EQ(line().LastKey, c.key);
        EXPECT_EQ(line().LastBend, float(c.keyBend));
    }
}

// A key below the measured range (here 47 up, and two octaves above KeyMax) has no level of its
// own and is judged by its measured harmonics: it is chosen only when its three lowest measured
// harmonics all sound. Each case below the range would win the frame if the rule let it in
// (its extrapolated fundamental adds to its score); the answer changes with the count of
// sounding harmonics needed and with a silent one skipped instead of refusing the key.
TEST_F(SingleLine, KeysBelowTheMeasuredRangeNeedTheirLowestHarmonicsToSound) {
    struct Case {
        const char* name;
        std::map<int, float> levels;
        int key;  // the key chosen
    };
    const Case cases[] = {
        // Key 41 holds 60 as its third harmonic, among nine measured ones that are silent: it
        // once beat 60, whose eleven harmonics are all measured.
        {"a lone tone is not a sub-harmonic's", {{60, 100}}, 60},
        {"a tone and its octave", {{60, 100}, {72, 40}}, 60},
        // Key 40's harmonics from 52 (its second) up all sound: the note below the range.
        {"a note below the range",
         {{52, 80}, {59, 60}, {64, 45}, {68, 30}, {71, 20}, {74, 12}},
         40},
        {"three lowest sound, the fourth silent", {{52, 80}, {59, 60}, {64, 45}, {71, 20}}, 40},
        {"the third lowest silent", {{52, 80}, {59, 60}, {68, 30}, {71, 20}, {74, 12}}, 59},
        {"a silent harmonic between sounding ones",
         {{52, 80}, {64, 45}, {68, 30}, {71, 20}, {74, 12}},
         52},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        single.lowKey = 47;
        single.harmonicTop = 85 + 24;
        levels(c.levels);
        decide();
        EXPECT_EQ(line().LastKey, c.key);
        EXPECT_GT(level(c.key), 0);
    }
}

TEST_F(SingleLine, BrightnessFollowsTheSlopeOfTheHarmonics) {
    struct Case {
        const char* name;
        std::map<int, float> levels;
        int expected;
    };
    const Case cases[] = {
        {"equal harmonics", {{48, 50}, {60, 50}, {67, 50}, {72, 50}}, 127},
        {"rising harmonics", {{48, 20}, {60, 40}, {67, 60}}, 127},
        {"one counted harmonic", {{48, 80}}, 64},
        {"steeply falling", {{48, 1000}, {60, 10}, {67, 1}}, 1},
        {"gently falling", {{48, 40}, {60, 30}, {67, 20}, {72, 10}}, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        // Only 48 may be chosen, so that equal or rising harmonics do not move the choice up.
        std::fill(analysis().KeyEnabled.begin(), analysis().KeyEnabled.end(), 0);
        analysis().KeyEnabled[48] = 1;
        levels(c.levels);
        decide();
        EXPECT_EQ(analysis().cell(48, 3).brightness, c.expected);
    }
}

TEST_F(SingleLine, PartRangeLimitsTheSearch) {
    single.partKeyMin = 50;
    levels({{48, 100}, {60, 60}, {67, 40}});
    decide();
    EXPECT_EQ(level(48), 0);
    EXPECT_NE(line().LastKey, 48);
}

}  // namespace
}  // namespace velt::engine
