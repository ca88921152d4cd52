// Tempo detection's decisions from onset lists: tempo, numerator, ChordRes, start, and the cases
// with too little to go on.
#include <gtest/gtest.h>

#include "tempo/timing_decision.h"
#include "tempo_fixtures.h"

namespace velt::engine {
namespace {

using testing::SteadyBeats;

// A scan that returns a fixed onset list and counts its calls.
struct FakeScan {
    std::vector<int32_t> onsets;
    int failure = 0;
    int calls = 0;
    std::function<OnsetScanResult()> fn() {
        return [this] {
            ++calls;
            return OnsetScanResult{failure, onsets};
        };
    }
};

TimingSettings detectAll() {
    TimingSettings settings;
    settings.tempoDetect = true;
    settings.numerator = 0;
    settings.resolution = -1;
    settings.chordRes = 0;
    return settings;
}

TEST(TempoDecision, SteadyBeatsGiveTempoAndFourFour) {
    struct Case {
        double bpm, expectedBpm;
    };
    const Case cases[] = {{100, 100}, {90, 90}, {200, 100}, {75, 75}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bpm);
        FakeScan scan{SteadyBeats(c.bpm, 100, 2000)};
        const TimingDecision d = DecideTiming(detectAll(), scan.fn());
        EXPECT_EQ(d.finishType, 0);
        EXPECT_TRUE(d.changed);
        EXPECT_NEAR(d.beatsPerSecond * 60, c.expectedBpm, 0.05);
        EXPECT_EQ(d.numerator, 4);
        EXPECT_EQ(d.denominatorExp, 2);
        EXPECT_EQ(d.chordRes, 2);
        EXPECT_TRUE(d.startMoved);
        EXPECT_NEAR(d.startFrame, 2000, 2);
        EXPECT_EQ(scan.calls, 1);
    }
}

TEST(TempoDecision, TooLittleToGoOn) {
    struct Case {
        const char* name;
        bool tempoDetect;
        double resolution;
        std::vector<int32_t> onsets;
        int finishDetail;  // 0: goes on as 4/4
    };
    const Case cases[] = {
        {"no onsets, tempo to detect", true, 4, {}, 36},
        // An automatic resolution is fitted to the onsets: a given tempo alone is not enough.
        {"one onset, tempo given, resolution to detect", false, -1, {5000}, 36},
        {"no onsets, tempo given, resolution to detect", false, -1, {}, 36},
        {"no pair within the period range, tempo given, resolution to detect",
         false,
         -1,
         {1000, 24000},
         37},
        {"one onset, tempo and resolution given", false, 4, {5000}, 0},
        {"no pair within the period range, tempo to detect", true, 4, {1000, 24000}, 37},
        {"no pair within the period range, all given", false, 3, {1000, 24000}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TimingSettings settings = detectAll();
        settings.tempoDetect = c.tempoDetect;
        settings.beatsPerSecond = 1.5;
        settings.resolution = c.resolution;
        FakeScan scan{c.onsets};
        const TimingDecision d = DecideTiming(settings, scan.fn());
        if (c.finishDetail != 0) {
            EXPECT_EQ(d.finishType, 9);
            EXPECT_EQ(d.finishDetail, c.finishDetail);
            continue;
        }
        EXPECT_EQ(d.finishType, 0);
        EXPECT_EQ(d.numerator, 4);
        EXPECT_EQ(d.chordRes, 2);
        EXPECT_EQ(d.beatsPerSecond, 1.5);
        EXPECT_EQ(d.denominatorExp, -1);
        EXPECT_FALSE(d.startMoved);
    }
}

TEST(TempoDecision, ScanFailuresEndTheRun) {
    FakeScan scan{{}, 38};
    const TimingDecision d = DecideTiming(detectAll(), scan.fn());
    EXPECT_EQ(d.finishType, 2);
    EXPECT_EQ(d.finishDetail, 38);
}

TEST(TempoDecision, GivenTempoAndMetreSkipWork) {
    TimingSettings settings = detectAll();
    settings.tempoDetect = false;
    settings.beatsPerSecond = 2;
    settings.numerator = 3;

    settings.chordRes = 6;
    FakeScan untouched{SteadyBeats(100, 50)};
    const TimingDecision nothing = DecideTiming(settings, untouched.fn());
    EXPECT_FALSE(nothing.changed);
    EXPECT_EQ(untouched.calls, 0);

    // Without ChordRes the grid is fitted to the given beat with no onsets: phase 0, no start move.
    settings.chordRes = 0;
    FakeScan noScan{SteadyBeats(100, 50)};
    const TimingDecision gridOnly = DecideTiming(settings, noScan.fn());
    EXPECT_EQ(noScan.calls, 0);
    EXPECT_TRUE(gridOnly.changed);
    EXPECT_EQ(gridOnly.numerator, 3);
    EXPECT_EQ(gridOnly.chordRes, 3);
    EXPECT_EQ(gridOnly.denominatorExp, -1);
    EXPECT_EQ(gridOnly.beatsPerSecond, 2);
    EXPECT_EQ(gridOnly.bestPhase, 0);
    EXPECT_FALSE(gridOnly.startMoved);
}

TEST(TempoDecision, GivenTempoWithNumeratorToDetect) {
    TimingSettings settings = detectAll();
    settings.tempoDetect = false;
    settings.beatsPerSecond = 100.0 / 60;
    settings.resolution = 4;
    FakeScan scan{SteadyBeats(100, 80)};
    const TimingDecision d = DecideTiming(settings, scan.fn());
    EXPECT_EQ(scan.calls, 1);
    EXPECT_EQ(d.numerator, 4);
    EXPECT_EQ(d.denominatorExp, 2);
    EXPECT_EQ(d.beatsPerSecond, 100.0 / 60);
    EXPECT_EQ(d.period, 6615);   // one beat of the given tempo
    EXPECT_EQ(d.gridPoints, 4);  // sixteenths
    EXPECT_FALSE(d.startMoved);
}

TEST(TempoDecision, NumeratorsWithoutABarGridAreDetectedAgain) {
    struct Case {
        int given, expected;
    };
    const Case cases[] = {{5, 4}, {7, 4}, {6, 6}, {2, 2}, {12, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        TimingSettings settings = detectAll();
        settings.numerator = c.given;
        FakeScan scan{SteadyBeats(100, 100)};
        const TimingDecision d = DecideTiming(settings, scan.fn());
        EXPECT_EQ(d.numerator, c.expected);
        EXPECT_NEAR(d.beatsPerSecond * 60, 100, 0.05);
        EXPECT_EQ(d.period, 6615 * c.expected);
        EXPECT_EQ(d.denominatorExp, c.given == c.expected ? -1 : 2);
    }
}

TEST(TempoDecision, FinestTernaryLevelMakesACompoundMetre) {
    // Sixteenths at 100 BPM with a triplet of thirty-seconds on the third one: the automatic
    // refinement ends on a ternary level.
    std::vector<int32_t> onsets;
    for (int beat = 0; beat < 60; ++beat) {
        for (int offset : {0, 1654, 3307, 3858, 4409, 4961})
            onsets.push_back(1000 + beat * 6615 + offset);
    }
    struct Case {
        double resolution;
        int numerator, denominatorExp;
    };
    // Only the automatic resolution -1 turns 4 into 12/8; other automatic values keep 4/4, and
    // so do resolutions too fine for a given grid, which are refined automatically too.
    const Case cases[] = {{-1, 12, 3}, {-2, 4, 2}, {-1e20, 4, 2}, {7, 4, 2}, {1e20, 4, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.resolution);
        TimingSettings settings = detectAll();
        settings.resolution = c.resolution;
        FakeScan scan{onsets};
        const TimingDecision d = DecideTiming(settings, scan.fn());
        EXPECT_TRUE(d.lastSplitTernary);
        EXPECT_EQ(d.numerator, c.numerator);
        EXPECT_EQ(d.denominatorExp, c.denominatorExp);
        EXPECT_EQ(d.chordRes, 2);  // settled on the detected 4
        EXPECT_NEAR(d.beatsPerSecond * 60, 100, 0.05);
    }
}

TEST(TempoDecision, ChordResIsSettledAgainstTheNumerator) {
    const std::pair<int, int> cases[] = {{3, 4}, {2, 2}, {8, 8}, {0, 2}, {5, 4}};
    for (auto [given, expected] : cases) {
        TimingSettings settings = detectAll();
        settings.chordRes = given;
        FakeScan scan{SteadyBeats(100, 60)};
        EXPECT_EQ(DecideTiming(settings, scan.fn()).chordRes, expected) << given;
    }
}

TEST(TempoDecision, PickupMovesTheStartBackToTheDownbeat) {
    // 80 BPM, four beats a bar: a pickup on beat 4, then bars of a half note and two quarters.
    const int beat = 8269;
    std::vector<int32_t> onsets = {30000};
    for (int bar = 0; bar < 20; ++bar) {
        for (int b : {0, 2, 3}) onsets.push_back(30000 + beat + bar * 4 * beat + b * beat);
    }
    FakeScan scan{onsets};
    TimingSettings settings = detectAll();
    settings.numerator = 4;
    settings.resolution = 2;  // quarters: the bar's own grid
    const TimingDecision d = DecideTiming(settings, scan.fn());
    EXPECT_EQ(d.numerator, 4);
    EXPECT_EQ(d.gridPoints, 4);
    EXPECT_EQ(d.bestPhase, 3);
    EXPECT_NEAR(d.startFrame, 30000 - 3 * beat, 3);
}

TEST(TempoDecision, StartMayFallBeforeTheAudio) {
    // The pickup comes right at the start: the bar began before the first sample.
    const int beat = 8269;
    std::vector<int32_t> onsets = {300};
    for (int bar = 0; bar < 20; ++bar) {
        for (int b : {0, 2, 3}) onsets.push_back(300 + beat + bar * 4 * beat + b * beat);
    }
    FakeScan scan{onsets};
    TimingSettings settings = detectAll();
    settings.numerator = 4;
    settings.resolution = 2;
    const TimingDecision d = DecideTiming(settings, scan.fn());
    EXPECT_LT(d.startFrame, 0);
}

}  // namespace
}  // namespace velt::engine
