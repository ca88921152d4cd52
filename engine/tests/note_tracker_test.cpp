#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "analysis/analysis_api.h"
#include "analysis/note_tracker.h"
#include "midi_events.h"
#include "run_state.h"

namespace velt::engine {
namespace {

struct Event {
    int time;  // in ticks of the tracker
    int status;
    int data1;
    int data2;
    bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Event& e) {
    return out << "{t" << e.time << " " << std::hex << e.status << std::dec << " " << e.data1 << " "
               << e.data2 << "}";
}

// Records events as the file writer would time them: the delta is consumed by every event.
class RecordingSink : public MidiEventSink {
  public:
    void emit(int& delta, int status, int data1, int data2, int) override {
        time += delta;
        delta = 0;
        events.push_back({time, status, data1, data2});
    }
    int time = 0;
    std::vector<Event> events;
};

class NoteTracker : public ::testing::Test {
  protected:
    void SetUp() override {
        resetRun();
        ProjectSettings& s = run().settings;
        s.KeyMin = 60;
        s.KeyMax = 72;
        s.OutputThreshold = 5;
        s.MinimumLength = 2;
        s.PitchMode = 30;
        s.Controller = 11;
        s.Brightness = 0;
        s.PitchBend = 1;
        run().geo.TopKey = 72;
        run().geo.partChannel = 0;
        setMinFrames(3);
        run().analysis.slot = 0;
        sink = RecordingSink{};
        SetMidiEventSink(&sink);
    }
    void TearDown() override { SetMidiEventSink(nullptr); }

    void setMinFrames(int frames) {
        run().analysis.bank.records.assign(75, KeyRecord{});
        for (auto& r : run().analysis.bank.records) r.minFrames = frames;
    }
    void start() { StartNoteTracker(); }
    // One frame: the given keys at the given levels, every other key silent.
    void frame(const std::map<int, int>& levels, int bend = 0) {
        for (int k = 0; k < kKeyCount; ++k) run().analysis.cell(k, 0) = HistoryCell{};
        for (auto [k, v] : levels) run().analysis.cell(k, 0) = HistoryCell{v, bend, 0};
        TrackSlot();
    }
    void frames(int count, const std::map<int, int>& levels) {
        for (int i = 0; i < count; ++i) frame(levels);
    }
    std::vector<Event> notes() const {
        std::vector<Event> out;
        for (const Event& e : sink.events)
            if (e.status == 0x90 || e.status == 0x80) out.push_back(e);
        return out;
    }
    std::vector<Event> ofStatus(int status) const {
        std::vector<Event> out;
        for (const Event& e : sink.events)
            if (e.status == status) out.push_back(e);
        return out;
    }

    RecordingSink sink;
};

TEST_F(NoteTracker, ATonePlaysOnlyOnceItLastsTheKeysMinimumLength) {
    struct Case {
        const char* name;
        std::vector<int> levels;
        int velocity;  // 0: no note
    };
    const Case cases[] = {
        {"two frames of three", {50, 50, 0, 0, 0, 0}, 0},
        {"three frames", {50, 50, 50, 0, 0, 0, 0}, 50},
        {"peak is the velocity", {20, 40, 30, 30, 0, 0, 0}, 40},
        {"peak below twice the threshold", {9, 9, 9, 9, 0, 0, 0}, 0},
        {"a one-frame gap is bridged", {50, 0, 50, 0, 0, 0}, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        start();
        for (int level : c.levels) frame({{64, level}});
        auto n = notes();
        if (c.velocity == 0) {
            EXPECT_TRUE(n.empty());
        } else {
            ASSERT_EQ(n.size(), 2u);
            EXPECT_EQ(n[0].status, 0x90);
            EXPECT_EQ(n[0].data1, 64);
            EXPECT_EQ(n[0].data2, c.velocity);
            EXPECT_EQ(n[1].status, 0x80);
        }
    }
}

TEST_F(NoteTracker, FallingBelowTheThresholdEndsTheNoteWithItsPeak) {
    start();
    frames(4, {{64, 50}});
    frame({{64, 60}});
    frame({{64, 2}});  // below the threshold: the note ends MinimumLength frames later
    ASSERT_EQ(notes().size(), 1u);
    frame({{64, 2}});
    auto n = notes();
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(n[1], (Event{n[1].time, 0x80, 64, 60}));
    EXPECT_EQ(run().status.startedKey, 0);
    EXPECT_EQ(run().status.lowestKey, 64);
    EXPECT_EQ(run().status.highestKey, 64);
}

// Idle only once nothing can come out of further silent frames: the finish's tail stops there.
TEST_F(NoteTracker, IdleOnlyWhenNoNoteIsLeftToEnd) {
    start();
    EXPECT_TRUE(TrackerIdle());
    frame({{64, 50}});  // too short to be confirmed by silent frames
    EXPECT_TRUE(TrackerIdle());
    frames(4, {{64, 50}});
    ASSERT_EQ(notes().size(), 1u);
    EXPECT_FALSE(TrackerIdle());
    size_t silentFrames = 0;
    while (!TrackerIdle() && silentFrames < 20) {
        frame({});
        ++silentFrames;
    }
    EXPECT_TRUE(TrackerIdle());
    auto n = notes();
    ASSERT_EQ(n.size(), 2u);  // the note was ended before the tracker went idle
    EXPECT_EQ(n[1].status, 0x80);
    const size_t events = sink.events.size();
    frames(20, {});
    EXPECT_EQ(sink.events.size(), events);
}

TEST_F(NoteTracker, AJumpOf256TimesReattacksInOneTick) {
    start();
    frames(4, {{64, 10}});
    frames(3, {{64, 2560}});  // detected, then confirmed after the key's minimum length
    auto n = notes();
    ASSERT_EQ(n.size(), 3u);
    EXPECT_EQ(n[1], (Event{n[1].time, 0x80, 64, 10}));
    EXPECT_EQ(n[2], (Event{n[1].time, 0x90, 64, 2560}));
}

TEST_F(NoteTracker, PolyphonyOneKeepsTheLouderKeyAndTheHigherOnTies) {
    struct Case {
        int low;
        int high;
        int expected;
    };
    for (Case c : {Case{40, 80, 67}, Case{80, 40, 60}, Case{50, 50, 67}}) {
        SetUp();
        run().settings.PitchMode = 1;
        start();
        frames(5, {{60, c.low}, {67, c.high}});
        auto on = ofStatus(0x90);
        ASSERT_EQ(on.size(), 1u);
        EXPECT_EQ(on[0].data1, c.expected);
    }
}

TEST_F(NoteTracker, ALouderStartTakesOverTheOnlyVoice) {
    run().settings.PitchMode = 1;
    start();
    frames(4, {{60, 30}});
    frames(4, {{60, 30}, {67, 90}});
    auto n = notes();
    ASSERT_EQ(n.size(), 3u);
    EXPECT_EQ(n[0], (Event{n[0].time, 0x90, 60, 30}));
    EXPECT_EQ(n[1], (Event{n[1].time, 0x80, 60, 30}));
    EXPECT_EQ(n[2], (Event{n[1].time, 0x90, 67, 90}));
}

TEST_F(NoteTracker, ASecondNoteEventInOneTickWaitsForTheTickToEnd) {
    run().geo.subdivisionExp = 3;  // eight frames a tick
    setMinFrames(2);
    start();
    frames(2, {{64, 50}});
    frames(8, {});
    auto n = notes();
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(n[0].status, 0x90);
    EXPECT_EQ(n[1].status, 0x80);
    EXPECT_EQ(n[1].time, n[0].time + 1);
}

TEST_F(NoteTracker, CropSilenceLetsNoTimePassBeforeTheFirstNote) {
    for (int crop : {0, 1}) {
        SetUp();
        run().settings.CropSilence = crop;
        start();
        frames(10, {});
        frames(4, {{64, 50}});
        auto on = ofStatus(0x90);
        ASSERT_EQ(on.size(), 1u);
        EXPECT_EQ(on[0].time, crop ? 0 : 11) << "crop " << crop;
    }
}

TEST_F(NoteTracker, ExpressionFollowsTheLevelAndAZeroPeakSendsFull) {
    run().settings.PitchMode = 1;
    start();
    frames(3, {{64, 50}});
    frame({{64, 2}});   // 127 / 50 x 2
    frame({{64, 50}});  // back above the threshold: the peak restarts at 0
    auto cc = ofStatus(0xB0);
    ASSERT_EQ(cc.size(), 3u);
    EXPECT_EQ(cc[0].data2, 127);
    EXPECT_EQ(cc[1].data2, 5);
    EXPECT_EQ(cc[2].data2, 127);
    for (const Event& e : cc) EXPECT_EQ(e.data1, 11);
}

TEST_F(NoteTracker, BendsGoOutOncePerChangeForMonophonicLines) {
    run().settings.PitchMode = 1;
    start();
    frame({{64, 50}}, 10);
    frame({{64, 50}}, 10);
    frame({{64, 50}}, 10);  // note on, then the bend
    frame({{64, 50}}, 10);  // unchanged: nothing
    frame({{64, 50}}, -4);
    auto bends = ofStatus(0xE0);
    ASSERT_EQ(bends.size(), 2u);
    EXPECT_EQ(bends[0], (Event{bends[0].time, 0xE0, 0, 74}));
    EXPECT_EQ(bends[1].data2, 60);
    EXPECT_EQ(run().status.startedKey, 64);
    EXPECT_EQ(run().status.startedBend, -4);
    // Polyphonic runs send no bends.
    SetUp();
    start();
    frames(5, {{64, 50}});
    EXPECT_TRUE(ofStatus(0xE0).empty());
}

TEST_F(NoteTracker, TempoAndChordMetasFollowTheirChanges) {
    run().settings.MinimumLength = 1;  // the chord meta goes out at ring position 0
    run().analysis.beatLengths[0] = 500;
    run().status.chordText = "Am";
    start();
    frames(3, {});
    EXPECT_EQ(ofStatus(0x51), (std::vector<Event>{{0, 0x51, 500, 0}}));
    EXPECT_EQ(ofStatus(0xFF).size(), 1u);
    run().status.chordText = "F";
    frame({});
    EXPECT_EQ(ofStatus(0xFF).size(), 2u);
}

}  // namespace
}  // namespace velt::engine
