// The WAV level checker: peak and distortion of sox-made files of every sample size, the
// extensible header sox writes for 24 and 32 bits, and -1 for what is no PCM WAV file.
#include "platform/outside/wave_check.h"

#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

namespace velt::platform::outside {
namespace {

class WaveCheck : public ::testing::Test {
  protected:
    // A half-second 440 Hz sine made by sox at the given volume (above 1 it clips).
    std::string sine(int bits, int channels, const std::string& volume) {
        std::string path = (dir / ("sine " + std::to_string(bits) + "-" + std::to_string(channels) +
                                   "-" + volume + ".wav"))
                               .string();
        EXPECT_EQ(test::runCommand("sox -D -n -r 44100 -c " + std::to_string(channels) + " -b " +
                                   std::to_string(bits) + " -t wav " + test::shellQuote(path) +
                                   " synth 0.5 sine 440 vol " + volume + " 2>/dev/null")
                      .exitCode,
                  0);
        return path;
    }
    test::TempDir dir;
};

TEST_F(WaveCheck, PeakAndDistortionOfEverySampleSize) {
    struct Case {
        int bits, channels;
        const char* volume;
        int peak, distortion;  // percent, rounded
    } cases[] = {
        {8, 1, "0.5", 50, 0},   {8, 2, "0.1", 10, 0},  {16, 1, "0.5", 50, 0},
        {16, 2, "0.1", 10, 0},  {24, 2, "0.5", 50, 0}, {32, 1, "0.1", 10, 0},
        {16, 1, "4", 100, 100}, {8, 2, "4", 100, 100}, {24, 1, "4", 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits, " + std::to_string(c.channels) +
                     " channels, vol " + c.volume);
        WaveChecker checker;
        ASSERT_EQ(checker.CheckWave(sine(c.bits, c.channels, c.volume)), 0);
        EXPECT_EQ(std::lround(checker.GetMax() * 100), c.peak);
        EXPECT_EQ(std::lround(checker.GetDistort() * 100), c.distortion);
    }
}

TEST_F(WaveCheck, WhatIsNoPcmWaveGivesNoResult) {
    const std::string good = sine(16, 1, "0.5");
    const std::string bytes = test::readFile(good);
    const std::string floats = (dir / "float.wav").string();
    ASSERT_EQ(test::runCommand("sox -D -n -r 8000 -c 1 -e floating-point -b 32 -t wav " +
                               test::shellQuote(floats) + " synth 0.1 sine 440")
                  .exitCode,
              0);
    test::writeFile(dir / "head only.wav", bytes.substr(0, 30));
    test::writeFile(dir / "text.wav", "this is not a wave file at all, only some text\n");
    std::string threeChannels = (dir / "three.wav").string();
    ASSERT_EQ(test::runCommand("sox -D -n -r 8000 -c 3 -b 16 -t wav " +
                               test::shellQuote(threeChannels) + " synth 0.1 sine 440")
                  .exitCode,
              0);
    for (const std::string& path :
         {(dir / "missing.wav").string(), (dir / "head only.wav").string(),
          (dir / "text.wav").string(), floats, threeChannels}) {
        SCOPED_TRACE(path);
        WaveChecker checker;
        EXPECT_EQ(checker.CheckWave(path), -1);
        EXPECT_EQ(checker.GetMax(), 0.0f);
        EXPECT_EQ(checker.GetDistort(), 0.0f);
    }
}

}  // namespace
}  // namespace velt::platform::outside
