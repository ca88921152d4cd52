// MIDI output: handles and result numbers, running status, the recording double, the log device
// chosen by VELTRANE_MIDIOUT_LOG, and a machine without a sequencer.
#include "platform/midi_out/midi_out.h"

#include <gtest/gtest.h>

#include "scoped_env.h"
#include "test_support.h"

namespace velt::platform::midi_out {
namespace {

class MidiOut : public ::testing::Test {
  protected:
    void TearDown() override { useDevices(nullptr); }
};

TEST_F(MidiOut, HandlesAndResultNumbers) {
    RecordingMidiOut devices(2);
    useDevices(&devices);
    EXPECT_EQ(deviceCount(), 2);
    EXPECT_EQ(deviceName(1), "Recording MIDI device 2");
    EXPECT_EQ(deviceName(2), "");

    int32_t handle = 99;
    EXPECT_EQ(open(handle, 2), BadDeviceId);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(open(handle, -1), NoError);  // the default device is the first
    EXPECT_NE(handle, 0);
    int32_t second = 0;
    EXPECT_EQ(open(second, 0), Allocated);
    EXPECT_EQ(shortMessage(handle, 0x90 + 60 * 256 + 100 * 65536), NoError);
    EXPECT_EQ(shortMessage(handle, 64 + 90 * 256), NoError);                // running status
    EXPECT_EQ(shortMessage(handle, 0xC3 + 5 * 256 + 77 * 65536), NoError);  // two bytes only
    EXPECT_EQ(reset(handle), NoError);
    EXPECT_EQ(close(handle), NoError);
    EXPECT_EQ(shortMessage(handle, 0x90), InvalidHandle);
    EXPECT_EQ(close(handle), InvalidHandle);
    EXPECT_EQ(shortMessage(0, 0x90), InvalidHandle);

    using K = RecordingMidiOut::Event::Kind;
    ASSERT_EQ(devices.events.size(), 6u);
    EXPECT_EQ(devices.events[0].kind, K::Open);
    EXPECT_EQ(devices.events[1].bytes, (std::vector<uint8_t>{0x90, 60, 100}));
    EXPECT_EQ(devices.events[2].bytes, (std::vector<uint8_t>{0x90, 64, 90}));
    EXPECT_EQ(devices.events[3].bytes, (std::vector<uint8_t>{0xC3, 5}));
    EXPECT_EQ(devices.events[4].kind, K::Reset);
    EXPECT_EQ(devices.events[5].kind, K::Close);

    // A device that refuses: its number comes back unchanged.
    devices.sendResult = NotReady;
    EXPECT_EQ(open(handle, 1), NoError);
    EXPECT_EQ(shortMessage(handle, 0x80 + 60 * 256), NotReady);
    devices.openResult = NoDriver;
    EXPECT_EQ(open(second, 0), NoDriver);
}

TEST_F(MidiOut, ErrorTextsCoverEveryNumber) {
    for (int32_t code : std::initializer_list<int32_t>{
             BadDeviceId, Allocated, InvalidHandle, NoDriver, BadFormat, NotReady, NoDevice, 99}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(errorText(code).empty());
    }
    EXPECT_EQ(errorText(NoError), "");
    EXPECT_EQ(errorText(InvalidHandle), "The specified device handle is invalid.");
    EXPECT_EQ(errorText(NotReady), "The hardware is busy with other data.");
}

TEST_F(MidiOut, LogDeviceAppendsOneLinePerEvent) {
    test::TempDir dir;
    const auto log = dir / "midi.log";
    test::ScopedEnv env("VELTRANE_MIDIOUT_LOG", log.string());
    useDevices(nullptr);  // choose again, now with the variable set
    EXPECT_EQ(deviceCount(), 1);
    int32_t handle = 0;
    ASSERT_EQ(open(handle, 0), NoError);
    EXPECT_EQ(shortMessage(handle, 0x90 + 0x3C * 256 + 0x64 * 65536), NoError);
    EXPECT_EQ(reset(handle), NoError);
    EXPECT_EQ(close(handle), NoError);
    auto lines = test::splitLines(test::readFile(log));
    ASSERT_EQ(lines.size(), 3u);
    auto tail = [](const std::string& line) { return line.substr(line.find(' ') + 1); };
    EXPECT_EQ(tail(lines[0]), "90 3c 64");
    EXPECT_EQ(tail(lines[1]), "reset");
    EXPECT_EQ(tail(lines[2]), "close");
    for (const auto& line : lines) EXPECT_GE(std::stol(line), 0);
}

TEST_F(MidiOut, SystemDevicesWithoutASequencerReportNoDevice) {
    test::ScopedEnv env("VELTRANE_MIDIOUT_LOG", std::nullopt);
    useDevices(nullptr);
    int32_t count = deviceCount();
    ASSERT_GE(count, 0);
    if (count == 0) {
        int32_t handle = 5;
        EXPECT_EQ(open(handle, 0), NoDevice);
        EXPECT_EQ(handle, 0);
    }
}

}  // namespace
}  // namespace velt::platform::midi_out
