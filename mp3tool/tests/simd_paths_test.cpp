// The two builds of the decoder's hot loops: the x86-64-v3 one and the baseline that
// VELTRANE_SIMD=baseline picks give the same samples but for the rounding of fused
// multiply-adds (at most 1 LSB apart), on Layer III, Layer II, Layer III short blocks and a
// damaged stream. Where the processor runs the v3 build the two outputs must differ somewhere:
// identical files would mean the variable chose nothing and one build was compared with itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "mpeg/simd_path.h"
#include "requirements.h"
#include "test_support.h"

namespace velt::mpeg {
namespace {

namespace fs = std::filesystem;
using velt::test::readBytes;
using velt::test::runCommand;
using velt::test::shellQuote;

std::string q(const fs::path& p) {
    return shellQuote(p.string());
}

std::vector<int> samplesAfterHeader(const fs::path& wav) {
    const auto bytes = readBytes(wav);
    std::vector<int> samples;
    for (std::size_t i = 44; i + 1 < bytes.size(); i += 2) {
        samples.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
    }
    return samples;
}

TEST(SimdPaths, BaselineAndV3BuildsAgreeWithinOneLsb) {
    VELT_REQUIRE(velt::test::missingTools({"lame", "twolame", "sox"}));
    velt::test::TempDir dir;
    // Clicks make lame switch to short blocks.
    ASSERT_EQ(runCommand("cd " + q(dir.path()) +
                         " && sox -D -n -r 44100 -c 2 -b 16 tones.wav synth 3 sine 200-4000"
                         " sine 440 pinknoise gain -8 && sox -D -n -r 44100 -c 2 -b 16 clicks.wav"
                         " synth 3 square 4 gain -12 && lame --quiet -b 128 tones.wav tones.mp3"
                         " && lame --quiet -b 96 clicks.wav clicks.mp3"
                         " && twolame --quiet -b 192 tones.wav tones.mp2 2>&1")
                  .exitCode,
              0);
    // Three runs of 40 bytes overwritten inside the stream.
    auto damaged = readBytes(dir / "tones.mp3");
    for (const std::size_t at : {damaged.size() / 3, damaged.size() / 2, 2 * damaged.size() / 3}) {
        for (std::size_t i = 0; i < 40; ++i)
            damaged.at(at + i) = static_cast<unsigned char>(i * 37 + 11);
    }
    velt::test::writeFile(dir / "damaged.mp3", std::string(damaged.begin(), damaged.end()));

    const bool v3Runs = processorRunsV3Build();
    const std::string mpunpack = q(velt::test::binDir() / "mpunpack");
    for (const char* file : {"tones.mp3", "clicks.mp3", "tones.mp2", "damaged.mp3"}) {
        SCOPED_TRACE(file);
        // The machine's own choice, also where the whole test program runs with the baseline.
        const auto v3 = runCommand("env -u VELTRANE_SIMD " + mpunpack + " " + q(dir / file) + " " +
                                   q(dir / "v3.wav"));
        const auto baseline = runCommand("VELTRANE_SIMD=baseline " + mpunpack + " " +
                                         q(dir / file) + " " + q(dir / "baseline.wav"));
        EXPECT_EQ(v3.output, "DONE\n");
        EXPECT_EQ(baseline.output, "DONE\n");
        const auto a = samplesAfterHeader(dir / "v3.wav");
        const auto b = samplesAfterHeader(dir / "baseline.wav");
        ASSERT_EQ(a.size(), b.size());
        ASSERT_GT(a.size(), 100000u);
        int worst = 0;
        for (std::size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
        EXPECT_LE(worst, 1);
        if (v3Runs) {
            EXPECT_EQ(worst, 1) << "the v3 and baseline runs gave the same samples";
        } else {
            EXPECT_EQ(worst, 0) << "without the v3 build both runs take the same loops";
        }
    }
}

}  // namespace
}  // namespace velt::mpeg
