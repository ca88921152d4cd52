// Whole Layer III streams through the Layer III decoder and the polyphase synthesis: the ISO
// compliance streams and lame-encoded files against mpg123's decodes at "full accuracy"
// (RMS difference below 0.289 LSB, no sample off by more than 2), and cut or damaged streams
// that must decode without crashing or hanging.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "layer3_stream_decoder.h"
#include "requirements.h"
#include "test_support.h"

namespace velt::mpeg::layer3 {
namespace {

namespace fs = std::filesystem;
using test::decodeLayer3Stream;
using velt::test::readBytes;
using velt::test::runCommand;
using velt::test::shellQuote;

struct Accuracy {
    double rms = 0.0;
    int maxError = 0;
};

// Compares `count` samples of ours and the reference, starting `oursOffset` into ours.
Accuracy compare(const std::vector<int16_t>& ours, size_t oursOffset,
                 const std::vector<int16_t>& reference, size_t count) {
    Accuracy a;
    double sum = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const int error = ours[oursOffset + i] - reference[i];
        sum += static_cast<double>(error) * error;
        a.maxError = std::max(a.maxError, std::abs(error));
    }
    a.rms = count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
    return a;
}

std::vector<int16_t> readPcm(const fs::path& file) {
    const std::vector<unsigned char> bytes = readBytes(file);
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

std::vector<uint8_t> readStream(const fs::path& file) {
    const std::vector<unsigned char> bytes = readBytes(file);
    return {bytes.begin(), bytes.end()};
}

void expectFullAccuracy(const Accuracy& a) {
    EXPECT_LT(a.rms, 0.289);
    EXPECT_LE(a.maxError, 2);
}

TEST(Layer3Stream, ComplianceStreamsReachFullAccuracy) {
    const fs::path folder = velt::test::testdataDir() / "mpeg";
    ASSERT_TRUE(fs::exists(folder)) << folder;
    for (const char* name : {"l3-compl", "l3-si", "l3-si_block"}) {
        SCOPED_TRACE(name);
        const test::DecodedStream decoded =
            decodeLayer3Stream(readStream(folder / (std::string(name) + ".bit")));
        const std::vector<int16_t> reference = readPcm(folder / (std::string(name) + ".pcm"));
        EXPECT_EQ(decoded.refused, 0);
        EXPECT_EQ(decoded.endCode, kEndOfStream);
        // The references lack the last frame: compare the common prefix.
        ASSERT_GE(decoded.samples.size(), reference.size());
        ASSERT_LE(decoded.samples.size() - reference.size(), 1152u);
        expectFullAccuracy(compare(decoded.samples, 0, reference, reference.size()));
    }
}

std::string missingEncoderTools() {
    return velt::test::missingTools({"lame", "mpg123", "sox"});
}

// A 1.5 s stereo test signal: a swept and a steady tone, pink noise and noise bursts whose
// attacks make the encoder switch to short blocks.
fs::path makeSource(const velt::test::TempDir& dir) {
    const fs::path tones = dir / "tones.wav", noise = dir / "noise.wav",
                   bursts = dir / "bursts.wav";
    const fs::path source = dir / "source.wav";
    const std::string commands =
        "sox -D -n -r 44100 -c 2 " + shellQuote(tones.string()) +
        " synth 1.5 sine 200-3000 sine 330 gain -6 && "
        "sox -D -n -r 44100 -c 2 " +
        shellQuote(noise.string()) +
        " synth 1.5 pinknoise gain -16 && "
        "sox -D -n -r 44100 -c 2 " +
        shellQuote(bursts.string()) +
        " synth 0.03 whitenoise gain -4 pad 0.15 0.02 repeat 7 trim 0 1.5 && "
        "sox -D -m " +
        shellQuote(tones.string()) + " " + shellQuote(noise.string()) + " " +
        shellQuote(bursts.string()) + " " + shellQuote(source.string()) + " 2>/dev/null";
    EXPECT_EQ(runCommand(commands).exitCode, 0);
    return source;
}

struct LameCase {
    const char* name;
    const char* options;
    bool endAligned;  // a tag frame and an ID3v2 tag: compare the ends
};

class Layer3LameMatrix : public ::testing::TestWithParam<LameCase> {};

TEST_P(Layer3LameMatrix, MatchesMpg123AtFullAccuracy) {
    VELT_REQUIRE(missingEncoderTools());
    const LameCase& c = GetParam();
    velt::test::TempDir dir;
    const fs::path source = makeSource(dir);
    const fs::path mp3 = dir / "coded.mp3", raw = dir / "reference.raw";
    ASSERT_EQ(
        runCommand("lame --quiet " + std::string(c.options) + " " + shellQuote(source.string()) +
                   " " + shellQuote(mp3.string()) + " 2>/dev/null")
            .exitCode,
        0);
    ASSERT_EQ(runCommand("mpg123 -q --no-gapless -s " + shellQuote(mp3.string()) + " > " +
                         shellQuote(raw.string()) + " 2>/dev/null")
                  .exitCode,
              0);
    const test::DecodedStream decoded = decodeLayer3Stream(readStream(mp3));
    const std::vector<int16_t> reference = readPcm(raw);
    ASSERT_FALSE(reference.empty());
    EXPECT_EQ(decoded.refused, 0);
    if (c.endAligned) {
        // The tag frame decodes to one frame of silence ahead of the audio.
        ASSERT_GE(decoded.samples.size(), reference.size());
        expectFullAccuracy(compare(decoded.samples, decoded.samples.size() - reference.size(),
                                   reference, reference.size()));
    } else {
        ASSERT_EQ(decoded.samples.size(), reference.size());
        expectFullAccuracy(compare(decoded.samples, 0, reference, reference.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lame, Layer3LameMatrix,
    ::testing::Values(LameCase{"joint_128", "-t -b 128", false},
                      LameCase{"stereo_192", "-t -m s -b 192", false},
                      LameCase{"forced_ms_160", "-t -m f -b 160", false},
                      LameCase{"mono_64", "-t -m m -b 64", false},
                      LameCase{"cbr_32_at_32k", "-t -b 32 --resample 32", false},
                      LameCase{"cbr_320", "-t -b 320", false},
                      LameCase{"rate_48k", "-t -b 112 --resample 48", false},
                      LameCase{"vbr", "-t -V 2", false}, LameCase{"crc", "-t -p -b 96", false},
                      LameCase{"lsf_24k", "-t -b 64 --resample 24", false},
                      LameCase{"lsf_22k_vbr", "-t -V 4 --resample 22.05", false},
                      LameCase{"lsf_16k_mono", "-t -m m -b 32 --resample 16", false},
                      LameCase{"mpeg25_12k", "-t -b 32 --resample 12", false},
                      LameCase{"mpeg25_11k", "-t -b 24 --resample 11.025", false},
                      LameCase{"mpeg25_8k", "-t -b 16 --resample 8", false},
                      LameCase{"tag_frame_and_id3v2", "-b 128 --add-id3v2 --tt Title", true}),
    [](const ::testing::TestParamInfo<LameCase>& info) { return std::string(info.param.name); });

// Routing and rate reduction through the Layer III path: the mix is the mean of the two
// channels (synthesis is linear, so within rounding), left and right only give one channel each,
// and reduction by 4 keeps a quarter of the samples at a quarter of the rate.
TEST(Layer3Stream, RoutingAndRateReduction) {
    VELT_REQUIRE(missingEncoderTools());
    velt::test::TempDir dir;
    const fs::path source = makeSource(dir);
    const fs::path mp3 = dir / "coded.mp3";
    ASSERT_EQ(runCommand("lame --quiet -t -b 128 " + shellQuote(source.string()) + " " +
                         shellQuote(mp3.string()))
                  .exitCode,
              0);
    const std::vector<uint8_t> bytes = readStream(mp3);
    const test::DecodedStream stereo = decodeLayer3Stream(bytes, 0);
    const test::DecodedStream left = decodeLayer3Stream(bytes, 1);
    const test::DecodedStream right = decodeLayer3Stream(bytes, 2);
    const test::DecodedStream mix = decodeLayer3Stream(bytes, 3);
    ASSERT_EQ(stereo.channels, 2);
    ASSERT_EQ(mix.channels, 1);
    ASSERT_EQ(mix.samples.size() * 2, stereo.samples.size());
    ASSERT_EQ(left.samples.size(), mix.samples.size());
    int worst = 0;
    for (size_t i = 0; i < mix.samples.size(); ++i) {
        EXPECT_EQ(left.samples[i], stereo.samples[2 * i]);
        EXPECT_EQ(right.samples[i], stereo.samples[2 * i + 1]);
        const double mean = (stereo.samples[2 * i] + stereo.samples[2 * i + 1]) / 2.0;
        worst = std::max(worst, static_cast<int>(std::ceil(std::abs(mix.samples[i] - mean))));
    }
    EXPECT_LE(worst, 1);

    const test::DecodedStream quarter = decodeLayer3Stream(bytes, 0, 2);
    EXPECT_EQ(quarter.sampleRate, 44100 / 4);
    EXPECT_EQ(quarter.samples.size() * 4, stereo.samples.size());
}

// Cut and damaged copies of real streams: every one must decode to an end, without reading
// outside its buffers (the sanitizer build checks that) and without hanging.
TEST(Layer3Stream, CutAndDamagedStreamsNeverCrash) {
    const fs::path folder = velt::test::testdataDir() / "mpeg";
    ASSERT_TRUE(fs::exists(folder)) << folder;
    std::mt19937 random(1234);
    for (const char* name : {"l3-si_block.bit", "l3-compl.bit", "ILL2_layer3.bit"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> original = readStream(folder / name);
        ASSERT_FALSE(original.empty());
        for (int round = 0; round < 40; ++round) {
            std::vector<uint8_t> copy = original;
            if (round % 3 == 0) {
                copy.resize(std::uniform_int_distribution<size_t>(0, copy.size())(random));
            }
            if (round % 3 == 2) {
                // Scramble the side information of every frame, keeping the headers.
                for (size_t at = 0; at + 40 < copy.size(); ++at) {
                    if (copy[at] != 0xff || (copy[at + 1] & 0xe0) != 0xe0) continue;
                    for (size_t i = 4; i < 40; ++i) copy[at + i] = static_cast<uint8_t>(random());
                    at += 40;
                }
            } else {
                const int flips = std::uniform_int_distribution<int>(1, 200)(random);
                for (int i = 0; i < flips && !copy.empty(); ++i) {
                    const size_t at =
                        std::uniform_int_distribution<size_t>(0, copy.size() - 1)(random);
                    copy[at] = static_cast<uint8_t>(random());
                }
            }
            const test::DecodedStream decoded = decodeLayer3Stream(copy);
            EXPECT_EQ(decoded.endCode, kEndOfStream);
        }
    }
}

}  // namespace
}  // namespace velt::mpeg::layer3
