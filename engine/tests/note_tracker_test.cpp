#include "analysis/note_tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "midi_events.h"

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
    // Also called between the cases of a table: every input starts afresh.
    void SetUp() override {
        p = TrackerParams{};
        tracker = TrackerState{};
        report = TrackerReport{};
        sink = RecordingSink{};
        beatLength = 0;
        chordText = "N/C";
        p.keyMin = 60;
        p.topKey = 72;
        p.threshold = 5;
        p.minimumLength = 2;
        p.polyphony = 30;
        p.controller = 11;
        p.brightness = 0;
        p.pitchBend = true;
        p.tempoTrack = true;
        p.channel = 0;
        setMinFrames(3);
    }

    void setMinFrames(int frames) { p.minFrames.assign(75, frames); }
    void singleLine() { p.polyphony = 1; }
    void start() { StartTracker(p, tracker); }
    // One frame at ring position 0: the given keys at the given levels, every other key silent.
    void frame(const std::map<int, int>& levels, int bend = 0) {
        std::fill(history.begin(), history.end(), HistoryCell{});
        for (auto [k, v] : levels) history[size_t(k) * kSlotCount] = HistoryCell{v, bend, 0};
        TrackerFrame input;
        input.slot = 0;
        input.history = history;
        input.beatLength = beatLength;
        input.chordText = chordText;
        TrackFrame(p, input, tracker, report, sink);
    }
    void frames(int count, const std::map<int, int>& levels) {
        for (int i = 0; i < count; ++i) frame(levels);
    }
    bool idle() const { return TrackerIsIdle(p, tracker, chordText); }
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

    TrackerParams p;
    TrackerState tracker;
    TrackerReport report;
    std::vector<HistoryCell> history = std::vector<HistoryCell>(size_t(kKeyCount) * kSlotCount);
    int beatLength = 0;
    std::string chordText = "N/C";
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
    EXPECT_EQ(report.startedKey, 0);
    EXPECT_EQ(report.lowestKey, 64);
    EXPECT_EQ(report.highestKey, 64);
}

// Idle only once nothing can come out of further silent frames: the finish's tail stops there.
TEST_F(NoteTracker, IdleOnlyWhenNoNoteIsLeftToEnd) {
    start();
    EXPECT_TRUE(idle());
    frame({{64, 50}});  // too short to be confirmed by silent frames
    EXPECT_TRUE(idle());
    frames(4, {{64, 50}});
    ASSERT_EQ(notes().size(), 1u);
    EXPECT_FALSE(idle());
    size_t silentFrames = 0;
    while (!idle() && silentFrames < 20) {
        frame({});
        ++silentFrames;
    }
    EXPECT_TRUE(idle());
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
        singleLine();
        start();
        frames(5, {{60, c.low}, {67, c.high}});
        auto on = ofStatus(0x90);
        ASSERT_EQ(on.size(), 1u);
        EXPECT_EQ(on[0].data1, c.expected);
    }
}

TEST_F(NoteTracker, ALouderStartTakesOverTheOnlyVoice) {
    singleLine();
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
    p.subdivisionExp = 3;  // eight frames a tick
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
        p.cropSilence = crop != 0;
        start();
        frames(10, {});
        frames(4, {{64, 50}});
        auto on = ofStatus(0x90);
        ASSERT_EQ(on.size(), 1u);
        EXPECT_EQ(on[0].time, crop ? 0 : 11) << "crop " << crop;
    }
}

TEST_F(NoteTracker, ExpressionFollowsTheLevelAndAZeroPeakSendsFull) {
    singleLine();
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
    singleLine();
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
    EXPECT_EQ(report.startedKey, 64);
    EXPECT_EQ(report.startedBend, -4);
    // Polyphonic runs send no bends.
    SetUp();
    start();
    frames(5, {{64, 50}});
    EXPECT_TRUE(ofStatus(0xE0).empty());
}

TEST_F(NoteTracker, TempoAndChordMetasFollowTheirChanges) {
    p.minimumLength = 1;  // the chord meta goes out at ring position 0
    beatLength = 500;
    chordText = "Am";
    start();
    frames(3, {});
    EXPECT_EQ(ofStatus(0x51), (std::vector<Event>{{0, 0x51, 500, 0}}));
    EXPECT_EQ(ofStatus(0xFF).size(), 1u);
    chordText = "F";
    frame({});
    EXPECT_EQ(ofStatus(0xFF).size(), 2u);
}

}  // namespace
}  // namespace velt::engine
