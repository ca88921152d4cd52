// mpunpack end to end on lame-encoded MP3 files: its WAV output against mpg123's decode of the
// same file at "full accuracy" (RMS difference below 0.289 LSB, no sample off by more than 2).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "requirements.h"
#include "test_support.h"

namespace velt::mpeg::layer3 {
namespace {

namespace fs = std::filesystem;
using velt::test::readBytes;
using velt::test::runCommand;
using velt::test::shellQuote;

std::vector<int16_t> samplesOf(const std::vector<unsigned char>& bytes, size_t from, size_t count) {
    std::vector<int16_t> samples(count / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[from + 2 * i] | bytes[from + 2 * i + 1] << 8);
    return samples;
}

// The samples of a WAV file's "data" chunk.
std::vector<int16_t> wavSamples(const fs::path& file) {
    const std::vector<unsigned char> bytes = readBytes(file);
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const uint32_t size = bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 |
                              static_cast<uint32_t>(bytes[at + 7]) << 24;
        if (std::memcmp(&bytes[at], "data", 4) == 0)
            return samplesOf(bytes, at + 8, std::min<size_t>(size, bytes.size() - at - 8));
        at += 8 + size + (size & 1);
    }
    return {};
}

struct Case {
    const char* name;
    const char* sox;   // how the source is made
    const char* lame;  // encoder options
    bool endAligned;   // a tag frame and an ID3v2 tag: compare the ends
};

class Layer3Mpunpack : public ::testing::TestWithParam<Case> {};

TEST_P(Layer3Mpunpack, WavMatchesMpg123) {
    VELT_REQUIRE(velt::test::missingTools({"lame", "mpg123", "sox"}));
    const Case& c = GetParam();
    velt::test::TempDir dir;
    const fs::path source = dir / "source.wav", mp3 = dir / "song.mp3", raw = dir / "reference.raw",
                   wav = dir / "song.wav", status = dir / "status.txt";
    ASSERT_EQ(
        runCommand("sox -D -n -r 44100 " + std::string(c.sox) + " " + shellQuote(source.string()) +
                   " synth 1 " + "sine 300-2500 pinknoise gain -8 2>/dev/null")
            .exitCode,
        0);
    ASSERT_EQ(runCommand("lame --quiet " + std::string(c.lame) + " " + shellQuote(source.string()) +
                         " " + shellQuote(mp3.string()))
                  .exitCode,
              0);
    ASSERT_EQ(runCommand("mpg123 -q --no-gapless -s " + shellQuote(mp3.string()) + " > " +
                         shellQuote(raw.string()) + " 2>/dev/null")
                  .exitCode,
              0);
    const auto result = runCommand(shellQuote((velt::test::binDir() / "mpunpack").string()) + " " +
                                   shellQuote(mp3.string()) + " " + shellQuote(wav.string()) + " " +
                                   shellQuote(status.string()));
    EXPECT_EQ(result.exitCode, 0) << result.output;

    const std::vector<int16_t> ours = wavSamples(wav);
    const std::vector<unsigned char> rawBytes = readBytes(raw);
    const std::vector<int16_t> reference = samplesOf(rawBytes, 0, rawBytes.size());
    ASSERT_FALSE(reference.empty());
    if (!c.endAligned) {
        ASSERT_EQ(ours.size(), reference.size());
    }
    ASSERT_GE(ours.size(), reference.size());
    const size_t offset = ours.size() - reference.size();
    double sum = 0.0;
    int worst = 0;
    for (size_t i = 0; i < reference.size(); ++i) {
        const int error = ours[offset + i] - reference[i];
        sum += static_cast<double>(error) * error;
        worst = std::max(worst, std::abs(error));
    }
    EXPECT_LT(std::sqrt(sum / static_cast<double>(reference.size())), 0.289);
    EXPECT_LE(worst, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Layer3Mpunpack,
    ::testing::Values(Case{"joint_stereo_44k", "-c 2", "-t -b 128", false},
                      Case{"mono_22k", "-c 1", "-t -b 48 --resample 22.05", false},
                      Case{"stereo_8k", "-c 2", "-t -b 16 --resample 8", false},
                      Case{"tag_frame_and_id3v2", "-c 2", "-V 3 --add-id3v2 --tt Title", true}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velt::mpeg::layer3
