// The live devices on their own, with a live state made here: engine events as the output device
// gets them, part 0's set-up and program, the reset at the finish; frames from the capture
// device in either direction, and the capture stopped at the finish.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "live/live_io.h"
#include "platform/midi_out/midi_out.h"
#include "platform/wave_io/fake_wave_in.h"

namespace velt::engine::test {
namespace {

using Messages = std::vector<std::vector<uint8_t>>;

class LiveOutput : public ::testing::Test {
  protected:
    platform::midi_out::RecordingMidiOut devices;
    LiveState live;

    void SetUp() override {
        platform::midi_out::useDevices(&devices);
        ASSERT_EQ(OpenLiveOutput(live, 0), 0);
        ASSERT_NE(live.output, 0);
        devices.events.clear();
    }
    void TearDown() override {
        CloseLiveOutput(live);
        platform::midi_out::useDevices(nullptr);
    }

    // The messages sent since the last clear, a reset shown as {0xFF}.
    Messages sent() const {
        Messages messages;
        for (const auto& event : devices.events) {
            using Kind = platform::midi_out::RecordingMidiOut::Event::Kind;
            if (event.kind == Kind::Message) messages.push_back(event.bytes);
            if (event.kind == Kind::Reset) messages.push_back({0xFF});
        }
        return messages;
    }
};

TEST_F(LiveOutput, EventsAsTheDeviceGetsThem) {
    NoteMappingParams mapping;
    mapping.transpose = 12;
    mapping.compressed = true;  // velocities as measured
    struct Case {
        const char* name;
        int status, data1, data2, channel;
        Messages expected;
    };
    const Case cases[] = {
        {"note on, transposed", 0x90, 60, 100, 2, {{0x92, 72, 100}}},
        {"note off, velocity held to 1", 0x80, 60, 0, 2, {{0x82, 72, 1}}},
        {"controller held to 127", 0xB0, 7, 300, 0, {{0xB0, 7, 127}}},
        {"pitch bend on channel 16", 0xE0, 0, 64, 15, {{0xEF, 0, 64}}},
        {"one data byte, held to 127", 0xC0, 200, -1, 3, {{0xC3, 127}}},
        {"chord name: file only", 0xFF, 0, 0, 0, {}},
        {"tempo: file only", 0x51, 500, 0, 0, {}},
        {"no channel: dropped", 0x90, 60, 100, -1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        devices.events.clear();
        int delta = 7;
        SendLiveEvent(live, mapping, delta, c.status, c.data1, c.data2, c.channel);
        EXPECT_EQ(sent(), c.expected);
        EXPECT_EQ(delta, c.channel < 0 ? 7 : 0) << "a device event is sent at once";
    }
}

TEST_F(LiveOutput, PartSetupProgramsAndReset) {
    struct Case {
        const char* name;
        LivePart part;
        Messages setup;    // program and pan
        Messages program;  // program 200 sent later
    };
    const Case cases[] = {
        {"channel 3", {2, 33}, {{0xC2, 33}, {0xB2, 10, 64}}, {{0xC2, 127}}},
        {"drums: program 0", {9, 38}, {{0xC9, 0}, {0xB9, 10, 64}}, {{0xC9, 0}}},
        {"no channel", {-1, 33}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        devices.events.clear();
        SendLivePartSetup(live, c.part);
        EXPECT_EQ(sent(), c.setup);
        devices.events.clear();
        SendLiveProgram(live, c.part, 200);
        EXPECT_EQ(sent(), c.program);
    }
    devices.events.clear();
    CloseLiveOutput(live);
    EXPECT_EQ(sent(), Messages{{0xFF}}) << "the device is reset before it is closed";
    EXPECT_EQ(live.output, 0);
    SendLiveProgram(live, {0, 1}, 1);  // a closed device: nothing sent
    EXPECT_EQ(sent(), Messages{{0xFF}});
}

// The frame is the newest blockLength samples, newest last, or newest first for the instrument
// filter; samples[0] is not part of it, and a device that delivers nothing more leaves it alone.
class LiveInput : public ::testing::Test {
  protected:
    platform::wave_in::FakeWaveIn input;
    LiveState live;

    void SetUp() override { platform::wave_in::useDevices(&input); }
    void TearDown() override {
        CloseLiveInput(live);
        platform::wave_in::useDevices(nullptr);
    }
};

TEST_F(LiveInput, FramesInEitherDirectionThenCaptureStops) {
    ASSERT_EQ(OpenLiveInput(live, 0), 0);
    ASSERT_TRUE(input.capturing);
    std::vector<int16_t> captured(300);
    for (size_t i = 0; i < captured.size(); ++i) captured[i] = int16_t(i % 2 ? -int(i) : int(i));
    input.deliver(captured);

    for (bool reversed : {false, true}) {
        SCOPED_TRACE(reversed ? "reversed" : "in order");
        live.lastEnd = 0;  // read the same newest samples again
        std::vector<int> samples(5, -1);
        EXPECT_EQ(ReadLiveSamples(live, {4, reversed}, samples), 299);
        const std::vector<int> expected = reversed ? std::vector<int>{-1, -299, 298, -297, 296}
                                                   : std::vector<int>{-1, 296, -297, 298, -299};
        EXPECT_EQ(samples, expected);
        EXPECT_EQ(live.lastEnd, 300);
    }
    input.finish();
    std::vector<int> untouched(5, -1);
    EXPECT_EQ(ReadLiveSamples(live, {4, false}, untouched), 0);
    EXPECT_EQ(untouched, std::vector<int>(5, -1)) << "nothing more captured";

    CloseLiveInput(live);
    EXPECT_FALSE(input.capturing);
    EXPECT_EQ(live.input, 0);
    EXPECT_EQ(ReadLiveSamples(live, {4, false}, untouched), 0) << "no capture device";
}

}  // namespace
}  // namespace velt::engine::test
