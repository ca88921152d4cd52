// MIDI output: handles and result numbers, running status, the recording double, the log device
// chosen by VELTRANE_MIDIOUT_LOG, a machine without a sequencer, and the software synthesizer.
#include "platform/midi_out/midi_out.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "installed_devices.h"
#include "platform/midi_out/soft_synth.h"
#include "platform/midi_out/system_devices.h"
#include "requirements.h"
#include "scoped_env.h"
#include "test_support.h"

namespace velt::platform::midi_out {
namespace {

// What the software synthesizer lacks here; empty when it can play.
std::string missingSoftSynth() {
    if (softSynthAvailable()) return "";
    const std::string font = velt::test::missingFiles({kGeneralMidiSoundFont});
    return font.empty() ? "FluidSynth (libfluidsynth-dev at build time)" : font;
}

// A test installs its devices for its own body (test::InstalledDevices); the layer goes back to
// its own choice after each test, which matters where the environment chose it.
class MidiOut : public ::testing::Test {
  protected:
    void TearDown() override { useDevices(nullptr); }
};

TEST_F(MidiOut, HandlesAndResultNumbers) {
    test::InstalledDevices<RecordingMidiOut> devices(2);
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
    ASSERT_EQ(devices->events.size(), 6u);
    EXPECT_EQ(devices->events[0].kind, K::Open);
    EXPECT_EQ(devices->events[1].bytes, (std::vector<uint8_t>{0x90, 60, 100}));
    EXPECT_EQ(devices->events[2].bytes, (std::vector<uint8_t>{0x90, 64, 90}));
    EXPECT_EQ(devices->events[3].bytes, (std::vector<uint8_t>{0xC3, 5}));
    EXPECT_EQ(devices->events[4].kind, K::Reset);
    EXPECT_EQ(devices->events[5].kind, K::Close);

    // A device that refuses: its number comes back unchanged.
    devices->sendResult = NotReady;
    EXPECT_EQ(open(handle, 1), NoError);
    EXPECT_EQ(shortMessage(handle, 0x80 + 60 * 256), NotReady);
    devices->openResult = NoDriver;
    EXPECT_EQ(open(second, 0), NoDriver);
}

TEST_F(MidiOut, ShortMessagesBecomeTheBytesTheirStatusTakes) {
    struct Case {
        const char* name;
        uint32_t packed;
        std::vector<uint8_t> bytes;  // empty: refused with InvalidParam
    };
    const Case cases[] = {
        {"program change on channel 10", 0xC9 + 0xFFFF00, {0xC9, 0x7F}},
        {"channel pressure", 0xD3 + 5 * 256, {0xD3, 5}},
        {"pitch bend", 0xE0 + 0x40 * 65536, {0xE0, 0, 0x40}},
        {"pan controller", 0xB2 + 10 * 256 + 64 * 65536, {0xB2, 10, 64}},
        {"data bytes cut to seven bits", 0x90 + 0xBC * 256 + 0xE4 * 65536, {0x90, 60, 100}},
        {"system exclusive", 0xF0 + 0x7E * 256, {}},
        {"end of exclusive", 0xF7, {}},
        {"song select", 0xF3 + 7 * 256, {0xF3, 7}},
        {"timing clock", 0xF8, {0xF8}},
    };
    test::InstalledDevices<RecordingMidiOut> devices;
    int32_t handle = 0;
    ASSERT_EQ(open(handle, 0), NoError);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        devices->events.clear();
        EXPECT_EQ(shortMessage(handle, c.packed), c.bytes.empty() ? InvalidParam : NoError);
        if (c.bytes.empty()) {
            EXPECT_TRUE(devices->events.empty());
        } else {
            ASSERT_EQ(devices->events.size(), 1u);
            EXPECT_EQ(devices->events[0].bytes, c.bytes);
        }
    }
    // Real-time messages keep the running status, system common messages end it.
    ASSERT_EQ(shortMessage(handle, 0x91 + 60 * 256 + 1 * 65536), NoError);
    ASSERT_EQ(shortMessage(handle, 0xF8), NoError);
    devices->events.clear();
    EXPECT_EQ(shortMessage(handle, 62 + 2 * 256), NoError);
    ASSERT_EQ(devices->events.size(), 1u);
    EXPECT_EQ(devices->events[0].bytes, (std::vector<uint8_t>{0x91, 62, 2}));
    ASSERT_EQ(shortMessage(handle, 0xF3 + 7 * 256), NoError);
    EXPECT_NE(shortMessage(handle, 62 + 2 * 256), NoError);
}

TEST_F(MidiOut, VolumeScalesVelocitiesOrBecomesTheDevicesGain) {
    struct Case {
        const char* name;
        uint32_t volume;
        uint8_t velocity;  // of a note-on at velocity 100 on a port without gain
        double gain;       // given to a port with a gain of its own
    } cases[] = {
        {"full", 0xFFFFFFFF, 100, 1.0},
        {"half, both halves alike", 0x80008000, 50, 0x8000 / 65535.0},
        {"the louder side counts", 0x0000FFFF, 100, 1.0},
        {"almost silent keeps velocity 1", 0x00010001, 1, 1 / 65535.0},
        {"silent", 0, 0, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::InstalledDevices<RecordingMidiOut> plain(2);
        int32_t early = 0, late = 0, other = 0;
        ASSERT_EQ(open(early, 0), NoError);
        ASSERT_EQ(open(other, 1), NoError);
        ASSERT_EQ(setVolume(-1, c.volume), NoError);
        uint32_t volume = 1;
        EXPECT_EQ(getVolume(0, volume), NoError);
        EXPECT_EQ(volume, c.volume);
        ASSERT_EQ(shortMessage(early, 0x90 + 60 * 256 + 100 * 65536), NoError);
        ASSERT_EQ(shortMessage(early, 0x80 + 60 * 256 + 100 * 65536), NoError);  // note-off as is
        ASSERT_EQ(shortMessage(other, 0x90 + 60 * 256 + 100 * 65536), NoError);  // other device
        close(early);
        ASSERT_EQ(open(late, 0), NoError);  // a later open keeps the volume
        ASSERT_EQ(shortMessage(late, 0x90 + 62 * 256 + 100 * 65536), NoError);
        std::vector<std::vector<uint8_t>> sent;
        for (const auto& e : plain->events)
            if (e.kind == RecordingMidiOut::Event::Kind::Message) sent.push_back(e.bytes);
        const std::vector<std::vector<uint8_t>> expected = {
            {0x90, 60, c.velocity}, {0x80, 60, 100}, {0x90, 60, 100}, {0x90, 62, c.velocity}};
        EXPECT_EQ(sent, expected);

        test::InstalledDevices<RecordingMidiOut> withGain;  // releases what is open on `plain`
        withGain->hasGain = true;
        int32_t synth = 0;
        ASSERT_EQ(open(synth, 0), NoError);
        ASSERT_EQ(setVolume(0, c.volume), NoError);
        ASSERT_EQ(shortMessage(synth, 0x90 + 60 * 256 + 100 * 65536), NoError);
        ASSERT_EQ(withGain->gains.size(), 1u);
        EXPECT_NEAR(withGain->gains[0], c.gain, 1e-9);
        EXPECT_EQ(withGain->events.back().bytes, (std::vector<uint8_t>{0x90, 60, 100}));
    }
    test::InstalledDevices<RecordingMidiOut> none(0);
    uint32_t volume = 0;
    EXPECT_EQ(setVolume(-1, 0), NoDevice);
    EXPECT_EQ(getVolume(-1, volume), NoDevice);
}

TEST_F(MidiOut, ErrorTextsCoverEveryNumber) {
    for (int32_t code : std::initializer_list<int32_t>{
             BadDeviceId, Allocated, InvalidHandle, NoDriver, BadFormat, NotReady, NoDevice, 99}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(errorText(code).empty());
    }
    EXPECT_EQ(errorText(NoError), "");
    EXPECT_EQ(errorText(99), "Error 99.");
    EXPECT_EQ(errorText(BadDeviceId), "The specified device identifier is out of range.");
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

TEST_F(MidiOut, SystemDevicesWithoutASequencerReportNoDeviceAndSayNothing) {
    SoftSynthOptions noFont;
    noFont.soundFont = "/nonexistent/font.sf2";
    testing::internal::CaptureStderr();
    test::InstalledDevices<Devices> system(makeSystemDevices(noFont));
    int32_t count = deviceCount();
    int32_t handle = 5;
    int32_t opened = open(handle, -1);
    close(handle);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_GE(count, 0);
    if (count == 0) {
        EXPECT_EQ(opened, NoDevice);
        EXPECT_EQ(handle, 0);
    }
}

TEST_F(MidiOut, TheSynthesizerWithoutSoundOutputFailsQuietly) {
    VELT_REQUIRE(missingSoftSynth());
    testing::internal::CaptureStderr();
    test::InstalledDevices<Devices> system(makeSystemDevices());
    int32_t handle = 0;
    int32_t opened = open(handle, -1);
    close(handle);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    // With a sound server or card it plays; without, its output cannot start.
    EXPECT_TRUE(opened == NoError || opened == NoDriver) << opened;
}

TEST_F(MidiOut, DeviceNamesAreThePortsOwnNamesCutTo31Characters) {
    EXPECT_EQ(alsaPortName("Midi Through:Midi Through Port-0 14:0"), "Midi Through Port-0");
    EXPECT_EQ(alsaPortName("USB Keys:USB Keys MIDI 1 20:0"), "USB Keys MIDI 1");
    EXPECT_EQ(alsaPortName("Plain"), "Plain");

    class LongNames : public RecordingMidiOut {
      public:
        std::string name(int32_t) override { return std::string(40, 'x'); }
    };
    test::InstalledDevices<LongNames> devices;
    EXPECT_EQ(deviceName(0), std::string(kMaxDeviceNameLength, 'x'));
}

// The peak of a 16-bit WAV file's data chunk; -1 when it has none.
int wavPeak(const std::filesystem::path& file) {
    std::vector<unsigned char> bytes = test::readBytes(file);
    for (size_t at = 12; at + 8 <= bytes.size();) {
        uint32_t size = bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 |
                        static_cast<uint32_t>(bytes[at + 7]) << 24;
        if (std::string(bytes.begin() + at, bytes.begin() + at + 4) == "data") {
            int peak = 0;
            for (size_t i = at + 8; i + 1 < bytes.size(); i += 2) {
                peak = std::max(peak, std::abs(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8)));
            }
            return peak;
        }
        at += 8 + size + (size & 1);
    }
    return -1;
}

TEST_F(MidiOut, TheSoftwareSynthesizerIsTheDefaultDeviceAndSoundsItsNotes) {
    VELT_REQUIRE(missingSoftSynth());
    test::TempDir dir;
    SoftSynthOptions options;
    options.audioDriver = "file";  // renders into a WAV file in real time
    options.outputFile = dir / "synth.wav";
    test::InstalledDevices<Devices> system(makeSystemDevices(options));
    EXPECT_EQ(deviceName(0), "Software Synthesizer (GM)");
    int32_t handle = 0;
    ASSERT_EQ(open(handle, -1), NoError);
    EXPECT_EQ(shortMessage(handle, 0xC0), NoError);
    EXPECT_EQ(shortMessage(handle, 0x90 + 60 * 256 + 110 * 65536), NoError);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(reset(handle), NoError);
    EXPECT_EQ(close(handle), NoError);
    EXPECT_GT(wavPeak(options.outputFile), 1000);

    // The second open keeps the loaded sound font and starts a new output.
    std::filesystem::remove(options.outputFile);
    ASSERT_EQ(open(handle, 0), NoError);
    EXPECT_EQ(shortMessage(handle, 0x99 + 38 * 256 + 120 * 65536), NoError);  // snare, channel 10
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(close(handle), NoError);
    EXPECT_GT(wavPeak(options.outputFile), 1000);
}

}  // namespace
}  // namespace velt::platform::midi_out
