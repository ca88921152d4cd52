// Sound output: formats, positions in clock time, pause, stream gain and device volume, the
// logging device of VELTRANE_WAVEOUT_LOG, and a machine without sound.
#include "platform/wave_io/wave_out.h"

#include <gtest/gtest.h>

#include "installed_devices.h"
#include "platform/clock/clock.h"
#include "platform/wave_io/clock_wave_out.h"
#include "platform/wave_io/system_wave_out.h"
#include "scoped_env.h"
#include "test_support.h"

namespace velt::platform::wave_out {
namespace {

using Kind = ClockWaveOut::Event::Kind;

// A test installs its devices for its own body (test::InstalledDevices); the layer goes back to
// its own choice after each test, which matters where the environment chose it.
class WaveOut : public ::testing::Test {
  protected:
    void TearDown() override { useDevices(nullptr); }
};

std::shared_ptr<PcmSound> silence(int32_t rate, int32_t channels, int32_t bits, int64_t frames) {
    auto sound = std::make_shared<PcmSound>();
    sound->sampleRate = rate;
    sound->channels = channels;
    sound->bitsPerSample = bits;
    sound->data.assign(static_cast<size_t>(frames * channels * bits / 8), 0);
    return sound;
}

TEST_F(WaveOut, FormatsAndSamples) {
    struct Case {
        const char* name;
        int32_t channels, bits;
        std::vector<uint8_t> frame;  // one frame, the first channel holds the sample
        float expected;
        int32_t result;
    } cases[] = {
        {"8-bit mono", 1, 8, {0xC0}, 0.5f, NoError},
        {"16-bit stereo", 2, 16, {0x00, 0xC0, 0, 0}, -0.5f, NoError},
        {"24-bit mono", 1, 24, {0x00, 0x00, 0x40}, 0.5f, NoError},
        {"32-bit stereo", 2, 32, {0, 0, 0, 0x80, 0, 0, 0, 0}, -1.0f, NoError},
        {"12-bit", 1, 12, {0, 0}, 0.0f, BadFormat},
        {"three channels", 3, 16, {0, 0, 0, 0, 0, 0}, 0.0f, BadFormat},
    };
    platform::ManualClock clock;
    test::InstalledDevices<ClockWaveOut> out(&clock);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto sound = std::make_shared<PcmSound>();
        sound->sampleRate = 22050;
        sound->channels = c.channels;
        sound->bitsPerSample = c.bits;
        sound->data = c.frame;
        int32_t handle = 0;
        ASSERT_EQ(open(handle, -1, sound), c.result);
        if (c.result != NoError) continue;
        EXPECT_EQ(sound->frames(), 1);
        EXPECT_FLOAT_EQ(sound->sample(0, 0), c.expected);
        const auto& opened = out->events.back();
        EXPECT_EQ(opened.kind, Kind::Open);
        EXPECT_EQ(opened.sampleRate, 22050);
        EXPECT_EQ(opened.channels, c.channels);
        EXPECT_EQ(opened.bitsPerSample, c.bits);
        EXPECT_EQ(close(handle), NoError);
    }
}

TEST_F(WaveOut, PlaysInClockTimeWithPauseAndStop) {
    platform::ManualClock clock(1000);
    test::InstalledDevices<ClockWaveOut> out(&clock);
    auto sound = silence(44100, 2, 16, 44100);  // one second
    int32_t handle = 0;
    ASSERT_EQ(open(handle, 0, sound), NoError);
    // From 250 ms to 750 ms, clamped stretches and a stretch that ends before it starts.
    ASSERT_EQ(play(handle, sound->framesOfMs(250), sound->framesOfMs(750)), NoError);
    int64_t frame = 0;
    bool finished = true;
    clock.advance(100);
    position(handle, frame);
    EXPECT_EQ(frame, 11025 + 4410);
    EXPECT_EQ(isFinished(handle, finished), NoError);
    EXPECT_FALSE(finished);
    pause(handle);
    clock.advance(5000);
    position(handle, frame);
    EXPECT_EQ(frame, 11025 + 4410);
    isFinished(handle, finished);
    EXPECT_FALSE(finished) << "a paused stream has not finished";
    resume(handle);
    clock.advance(400);
    isFinished(handle, finished);
    EXPECT_TRUE(finished);
    position(handle, frame);
    EXPECT_EQ(frame, 33075);
    EXPECT_EQ(out->framesPlayed(1), 33075 - 11025);

    ASSERT_EQ(play(handle, 40000, 99999999), NoError);  // end clamped to the sound
    EXPECT_EQ(out->events.back().end, 44100);
    clock.advance(10);
    stop(handle);
    isFinished(handle, finished);
    EXPECT_FALSE(finished) << "a stopped stream has not finished";
    ASSERT_EQ(play(handle, 500, 100), NoError);
    isFinished(handle, finished);
    EXPECT_TRUE(finished) << "an empty stretch is over at once";
    EXPECT_EQ(close(handle), NoError);
    EXPECT_EQ(play(handle, 0, 1), InvalidHandle);
    std::vector<Kind> kinds;
    for (const auto& e : out->events) kinds.push_back(e.kind);
    EXPECT_EQ(kinds,
              (std::vector<Kind>{Kind::Open, Kind::Play, Kind::Pause, Kind::Resume, Kind::Play,
                                 Kind::Stop, Kind::Play, Kind::Stop, Kind::Close}));
}

TEST_F(WaveOut, StreamGainAndDeviceVolume) {
    platform::ManualClock clock;
    test::InstalledDevices<ClockWaveOut> out(&clock, 2);
    auto sound = silence(8000, 1, 16, 800);
    int32_t a = 0, b = 0;
    ASSERT_EQ(open(a, 0, sound), NoError);
    ASSERT_EQ(open(b, 1, sound), NoError);
    EXPECT_EQ(setGain(a, {0.5, 2.0}), NoError);
    EXPECT_EQ(out->lastGain(1), (Gain{0.5, 1.0})) << "gains are clamped to 0..1";
    // The device volume scales the streams of that device only, now and at later opens.
    EXPECT_EQ(setVolume(0, 0x8000FFFF), NoError);
    EXPECT_NEAR(out->lastGain(1).left, 0.5, 1e-9);
    EXPECT_NEAR(out->lastGain(1).right, 0x8000 / 65535.0, 1e-9);
    EXPECT_EQ(out->lastGain(2), Gain{});
    uint32_t volume = 0;
    EXPECT_EQ(getVolume(-1, volume), NoError);
    EXPECT_EQ(volume, 0x8000FFFFu);
    EXPECT_EQ(setVolume(2, 0), BadDeviceId);
    int32_t c = 0;
    ASSERT_EQ(open(c, 0, sound), NoError);
    EXPECT_NEAR(out->lastGain(3).right, 0x8000 / 65535.0, 1e-9);
}

TEST_F(WaveOut, NoDeviceAndFailingOpens) {
    platform::ManualClock clock;
    test::InstalledDevices<ClockWaveOut> none(&clock, 0);
    auto sound = silence(44100, 1, 16, 10);
    int32_t handle = 5;
    EXPECT_EQ(deviceCount(), 0);
    EXPECT_EQ(open(handle, -1, sound), NoDevice);
    EXPECT_EQ(handle, 0);
    uint32_t volume = 0;
    EXPECT_EQ(setVolume(-1, 0), NoDevice);
    EXPECT_EQ(getVolume(-1, volume), NoDevice);

    test::InstalledDevices<ClockWaveOut> failing(&clock);
    failing->openResult = Allocated;
    EXPECT_EQ(open(handle, 0, sound), Allocated);
    EXPECT_EQ(open(handle, 1, sound), BadDeviceId);
    EXPECT_EQ(open(handle, 0, nullptr), InvalidParam);
    EXPECT_FALSE(errorText(NoDevice).empty());

    // The system's devices: a machine without sound hardware has none, quietly.
    testing::internal::CaptureStderr();
    int32_t count = 0, opened = 0;
    {
        test::InstalledDevices<Devices> system(makeSystemDevices());
        count = deviceCount();
        opened = open(handle, -1, sound);
        close(handle);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    if (count == 0) {
        EXPECT_EQ(opened, NoDevice);
        EXPECT_EQ(handle, 0);
    }
}

TEST_F(WaveOut, LogDeviceOfTheEnvironment) {
    test::TempDir dir;
    test::ScopedEnv env("VELTRANE_WAVEOUT_LOG", (dir / "out.log").string());
    useDevices(nullptr);
    EXPECT_EQ(deviceCount(), 1);
    auto sound = silence(44100, 2, 16, 441);
    int32_t handle = 0;
    ASSERT_EQ(open(handle, -1, sound), NoError);
    ASSERT_EQ(play(handle, 0, 441), NoError);
    ASSERT_EQ(setGain(handle, {1.0, 0.25}), NoError);
    ASSERT_EQ(close(handle), NoError);
    useDevices(nullptr);
    std::vector<unsigned char> bytes = test::readBytes(dir / "out.log");
    std::string log(bytes.begin(), bytes.end());
    // The times come from the real clock; the words and numbers after them are fixed.
    std::vector<std::string> words;
    size_t at = 0;
    while (at < log.size()) {
        size_t end = log.find('\n', at);
        std::string line = log.substr(at, end - at);
        words.push_back(line.substr(line.find(' ') + 1));
        at = end + 1;
    }
    ASSERT_EQ(words.size(), 5u) << log;
    EXPECT_EQ(words[0], "open 1 44100 2 16 441");
    EXPECT_EQ(words[1], "play 1 0 441");
    EXPECT_EQ(words[2], "gain 1 1 0.25");
    EXPECT_EQ(words[3].rfind("stop 1 ", 0), 0u);
    EXPECT_EQ(words[4].rfind("close 1 ", 0), 0u);
}

}  // namespace
}  // namespace velt::platform::wave_out
