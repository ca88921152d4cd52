// The analysis stages' adapters: what the run's set-up decided becomes each stage's parameters.
#include "driver/analysis_steps.h"

#include <gtest/gtest.h>

#include <vector>

#include "driver/run_state.h"

namespace velt::engine {
namespace {

// The one adapter from the run state: what the set-up decided becomes the tracker's parameters.
TEST(NoteTrackerParams, ComeFromTheRunsSettingsGeometryAndBank) {
    resetRun();
    RunState& state = run();
    RunSetUp setUp(state);  // the test plays the set-up
    setUp.settings.KeyMin = -3;
    setUp.geo.TopKey = 140;
    setUp.settings.OutputThreshold = 7;
    setUp.settings.MinimumLength = 4;
    setUp.settings.CropSilence = 1;
    setUp.settings.TempoTrack = 0;
    setUp.geo.partChannel = 9;
    setUp.geo.subdivisionExp = 2;
    state.analysis.bank.records.assign(3, KeyRecord{});
    state.analysis.bank.records[2].minFrames = 11;
    struct Case {
        int pitchMode, polyphony;
        bool drums;
    };
    for (const Case& c :
         {Case{0, 1, true}, Case{1, 1, false}, Case{2, 2, false}, Case{30, 30, false}}) {
        SCOPED_TRACE(c.pitchMode);
        setUp.settings.PitchMode = c.pitchMode;
        TrackerParams p = TrackerParamsOf(state);
        EXPECT_EQ(p.polyphony, c.polyphony);
        EXPECT_EQ(p.drums, c.drums);
        EXPECT_EQ(p.keyMin, 0);
        EXPECT_EQ(p.topKey, kKeyCount - 1);
        EXPECT_EQ(p.threshold, 7);
        EXPECT_EQ(p.minimumLength, 4);
        EXPECT_EQ(p.minFrames, (std::vector<int>{0, 0, 11}));
        EXPECT_EQ(p.channel, 9);
        EXPECT_EQ(p.subdivisionExp, 2);
        EXPECT_TRUE(p.cropSilence);
        EXPECT_FALSE(p.tempoTrack);
    }
    resetRun();
}

TEST(ChordNamingParams, ComeFromTheRunsSettingsAndStatus) {
    resetRun();
    RunState& state = run();
    RunSetUp setUp(state);  // the test plays the set-up
    setUp.settings.KeyMin = 28;
    setUp.geo.TopKey = 85;
    setUp.settings.MajorMinor = 1;
    setUp.settings.Transpose = -2;
    state.status.keySignature = -3;
    struct Case {
        int pitchMode;
        bool live;
        int autoDetectKey, autoTiming;
        bool enabled, keyTotals, nameChord;
    };
    const Case cases[] = {
        {30, false, 1, 0, true, true, true}, {0, false, 1, 0, false, true, true},
        {1, false, 1, 0, true, true, true},  {1, true, 1, 0, false, true, true},
        {2, true, 0, 1, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.pitchMode << (c.live ? " live" : ""));
        setUp.settings.PitchMode = c.pitchMode;
        setUp.geo.liveRun = c.live;
        setUp.settings.AutoDetectKey = c.autoDetectKey;
        setUp.settings.AutoTiming = c.autoTiming;
        ChordNamingParams p = ChordNamingParamsOf(state);
        EXPECT_EQ(p.enabled, c.enabled);
        EXPECT_EQ(p.keyTotals, c.keyTotals);
        EXPECT_EQ(p.nameChord, c.nameChord);
        EXPECT_EQ(p.keyMin, 28);
        EXPECT_EQ(p.topKey, 85);
        EXPECT_EQ(p.keySignature, -3);
        EXPECT_EQ(p.minor, 1);
        EXPECT_EQ(p.transpose, -2);
    }
    resetRun();
}

}  // namespace
}  // namespace velt::engine
