// Layer II streams encoded here by twolame and ffmpeg decode with the compliance test's "full
// accuracy" (RMS difference below 0.289 LSB, no sample off by more than 2) against mpg123's
// decode of the same stream, in every channel mode, at the MPEG-1 and the low sampling rates,
// with and without CRC. mpunpack runs end to end, so the WAV header is checked too.
#include <gtest/gtest.h>

#include <string>

#include "mpeg_test_util.h"
#include "requirements.h"
#include "test_support.h"

namespace velt::mpeg {
namespace {

using velt::test::runCommand;
using velt::test::shellQuote;

struct Encoding {
    const char* name;
    int rate;
    int channels;         // of the source and of the decoded stream
    const char* encoder;  // "twolame" or "ffmpeg"
    const char* options;
};

void PrintTo(const Encoding& e, std::ostream* os) {
    *os << e.name;
}

class MpegAccuracy : public ::testing::TestWithParam<Encoding> {};

// A source with tones, a sweep and noise, so that many subbands and allocations are in use.
bool makeSource(const std::filesystem::path& wav, int rate, int channels) {
    std::string cmd = "sox -D -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) +
                      " -b 16 " + shellQuote(wav.string()) +
                      " synth 1.5 sine 220 sine 150-6000 pinknoise sine 3000 gain -4";
    if (channels == 1) {
        cmd = "sox -D -n -r " + std::to_string(rate) + " -c 1 -b 16 " + shellQuote(wav.string()) +
              " synth 1.5 sine 150-6000 synth pinknoise mix gain -4";
    }
    return runCommand(cmd + " 2>&1").exitCode == 0;
}

TEST_P(MpegAccuracy, MatchesMpg123WithFullAccuracy) {
    const Encoding& e = GetParam();
    VELT_REQUIRE(velt::test::missingTools({"sox", "mpg123", e.encoder}));
    velt::test::TempDir dir;
    const auto source = dir / "source.wav";
    const auto mp2 = dir / "stream.mp2";
    const auto ours = dir / "ours.wav";
    const auto reference = dir / "reference.wav";
    ASSERT_TRUE(makeSource(source, e.rate, e.channels));
    std::string encode;
    if (std::string(e.encoder) == "twolame") {
        encode = std::string("twolame --quiet ") + e.options + " " + shellQuote(source.string()) +
                 " " + shellQuote(mp2.string());
    } else {
        encode = "ffmpeg -nostdin -v error -y -i " + shellQuote(source.string()) + " -c:a mp2 " +
                 e.options + " -f mp2 " + shellQuote(mp2.string());
    }
    ASSERT_EQ(runCommand(encode + " 2>&1").exitCode, 0) << encode;
    ASSERT_EQ(runCommand("mpg123 -q --no-gapless -w " + shellQuote(reference.string()) + " " +
                         shellQuote(mp2.string()) + " 2>&1")
                  .exitCode,
              0);
    const auto tool = velt::test::binDir() / "mpunpack";
    const auto run = runCommand(shellQuote(tool.string()) + " " + shellQuote(mp2.string()) + " " +
                                shellQuote(ours.string()));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "DONE\n");

    const test::WavData got = test::readWav(ours);
    const test::WavData want = test::readWav(reference);
    EXPECT_EQ(got.sampleRate, e.rate);
    EXPECT_EQ(got.channels, e.channels);
    EXPECT_EQ(want.channels, e.channels);
    ASSERT_GT(want.pcm.size(), 0u);
    EXPECT_EQ(got.pcm.size(), want.pcm.size());
    const test::Difference d = test::compare(got.pcm, want.pcm, want.pcm.size());
    EXPECT_TRUE(test::fullAccuracy(d)) << "rms " << d.rms << " max " << d.maxAbs;
}

INSTANTIATE_TEST_SUITE_P(
    Encoders, MpegAccuracy,
    ::testing::Values(Encoding{"twolame_44k_stereo_192", 44100, 2, "twolame", "-b 192 -m s"},
                      Encoding{"twolame_48k_joint_128", 48000, 2, "twolame", "-b 128 -m j"},
                      Encoding{"twolame_48k_joint_64", 48000, 2, "twolame", "-b 64 -m j"},
                      Encoding{"twolame_32k_dual_256_crc", 32000, 2, "twolame", "-b 256 -m d -p"},
                      Encoding{"twolame_32k_stereo_96", 32000, 2, "twolame", "-b 96 -m s"},
                      Encoding{"twolame_44k_mono_64_crc", 44100, 1, "twolame", "-b 64 -m m -p"},
                      Encoding{"twolame_44k_joint_384", 44100, 2, "twolame", "-b 384 -m j"},
                      Encoding{"twolame_44k_stereo_padded", 44100, 2, "twolame", "-b 224 -m s -d"},
                      Encoding{"twolame_48k_joint_vbr", 48000, 2, "twolame", "-m j -v -V 0"},
                      Encoding{"twolame_24k_stereo_96", 24000, 2, "twolame", "-b 96 -m s"},
                      Encoding{"twolame_22k_joint_64_crc", 22050, 2, "twolame", "-b 64 -m j -p"},
                      Encoding{"twolame_16k_mono_32", 16000, 1, "twolame", "-b 32 -m m"},
                      Encoding{"ffmpeg_44k_stereo_160", 44100, 2, "ffmpeg", "-b:a 160k"},
                      Encoding{"ffmpeg_22k_mono_48", 22050, 1, "ffmpeg", "-b:a 48k"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velt::mpeg
