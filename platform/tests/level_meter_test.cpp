// The input level meter: the peak of the newest 50 ms, its open and close calls, errors.
#include "platform/outside/level_meter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "installed_devices.h"
#include "platform/clock/clock.h"
#include "platform/wave_io/fake_wave_in.h"
#include "platform/wave_io/file_wave_in.h"
#include "test_support.h"

namespace velt::platform::outside {
namespace {

// Each test installs its input devices for its own body; the process's meter closes after it.
class LevelMeterTest : public ::testing::Test {
  protected:
    void TearDown() override { WaveClose(); }
};

TEST_F(LevelMeterTest, TellsThePeakOfTheNewestFiftyMilliseconds) {
    test::InstalledDevices<wave_in::FakeWaveIn> input;
    EXPECT_EQ(WaveLevel(), 0) << "closed";
    ASSERT_EQ(WaveOpen(-1), 0);
    EXPECT_EQ(WaveLevel(), 0) << "nothing heard yet";

    std::vector<int16_t> loud(100, 1000), quiet(2205, 300), clipped(10, -32768);
    input->deliver(loud);
    EXPECT_EQ(WaveLevel(), 1000);
    input->deliver(quiet);
    EXPECT_EQ(WaveLevel(), 300) << "the loud samples are older than 50 ms now";
    input->deliver(clipped);
    EXPECT_EQ(WaveLevel(), 32767);

    // The options dialog opens twice for one device: the second open starts over.
    ASSERT_EQ(WaveOpen(0), 0);
    EXPECT_EQ(input->opens, 2);
    EXPECT_EQ(WaveLevel(), 0);
    EXPECT_EQ(WaveClose(), 0);
    EXPECT_FALSE(input->capturing) << "the device is free after the close";
    EXPECT_EQ(WaveLevel(), 0);
}

TEST_F(LevelMeterTest, OpenFailuresComeBackAsTheirNumbers) {
    test::InstalledDevices<wave_in::FakeWaveIn> none(0);
    EXPECT_EQ(WaveOpen(-1), wave_in::NoDevice);

    test::InstalledDevices<wave_in::FakeWaveIn> input;
    EXPECT_EQ(WaveOpen(3), wave_in::BadDeviceId);
    input->ringFails = true;
    EXPECT_EQ(WaveOpen(0), wave_in::NoMemory);
    EXPECT_FALSE(input->capturing);
    input->ringFails = false;

    LevelMeter recorder;  // holds the device, as a recording would
    ASSERT_EQ(recorder.open(0), 0);
    EXPECT_EQ(WaveOpen(0), wave_in::Allocated);
    recorder.close();
    EXPECT_EQ(WaveOpen(0), 0);
}

TEST_F(LevelMeterTest, AnInputThatHasEndedReadsAsSilence) {
    test::TempDir dir;
    auto wav = dir / "tone.wav";
    ASSERT_EQ(test::runCommand("sox -D -n -r 44100 -c 1 -b 16 " + test::shellQuote(wav.string()) +
                               " synth 0.5 square 440 vol 0.5")
                  .exitCode,
              0);
    int32_t result = 0;
    auto samples = wave_in::readLiveWav(wav, result);
    ASSERT_TRUE(samples);
    int32_t peak = 0;
    for (size_t i = 8820 - 2205; i < 8820; ++i) peak = std::max(peak, std::abs((*samples)[i]));
    ASSERT_GT(peak, 10000);

    ManualClock clock;
    test::InstalledDevices<wave_in::FileDevices> files(wav, &clock);
    ASSERT_EQ(WaveOpen(-1), 0);
    clock.advance(200);
    EXPECT_EQ(WaveLevel(), peak);
    clock.advance(400);
    EXPECT_EQ(WaveLevel(), 0);
}

}  // namespace
}  // namespace velt::platform::outside
