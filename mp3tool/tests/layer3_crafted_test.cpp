// Random well-formed Layer III frames for the features no available encoder writes (short and
// mixed blocks at every rate, intensity stereo of MPEG-1 and of the low sampling rates, scfsi,
// preflag, subblock gain, every LSF scale-factor layout), decoded by us and by mpg123: the
// outputs must agree at "full accuracy".
//
// Left out where the two decoders part on purpose: intensity stereo with mixed blocks at the
// low sampling rates (mpg123 takes eight long bands there, the standard six), intensity
// positions that are illegal only by the standard's rule (the largest value of the band's
// bits; mpg123 takes 7), and right channels without coded lines.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "layer3_frame_crafter.h"
#include "layer3_stream_decoder.h"
#include "requirements.h"
#include "test_support.h"

namespace velt::mpeg::layer3 {
namespace {

namespace fs = std::filesystem;

struct CraftCase {
    const char* name;
    int versionCode;
    int samplingIndex;
    int mode;
    int modeExtension;
    bool mixedBlocks;
};

class Layer3Crafted : public ::testing::TestWithParam<CraftCase> {};

TEST_P(Layer3Crafted, MatchesMpg123) {
    VELT_REQUIRE(velt::test::missingTools({"mpg123"}));
    const CraftCase& c = GetParam();
    velt::test::TempDir dir;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE(seed);
        test::CraftOptions options;
        options.versionCode = c.versionCode;
        options.samplingIndex = c.samplingIndex;
        options.mode = c.mode;
        options.modeExtension = c.modeExtension;
        options.mixedBlocks = c.mixedBlocks;
        const std::vector<uint8_t> stream = test::FrameCrafter(options, seed).stream();
        const fs::path mp3 = dir / "crafted.mp3", raw = dir / "crafted.raw";
        velt::test::writeFile(mp3, std::string(stream.begin(), stream.end()));
        ASSERT_EQ(velt::test::runCommand("mpg123 -q --no-gapless -s " +
                                         velt::test::shellQuote(mp3.string()) + " > " +
                                         velt::test::shellQuote(raw.string()) + " 2>/dev/null")
                      .exitCode,
                  0);
        const std::vector<unsigned char> rawBytes = velt::test::readBytes(raw);
        const test::DecodedStream ours = test::decodeLayer3Stream(stream);
        EXPECT_EQ(ours.refused, 0);
        ASSERT_EQ(ours.samples.size() * 2, rawBytes.size());
        double sum = 0.0;
        int worst = 0;
        size_t worstAt = 0;
        for (size_t i = 0; i < ours.samples.size(); ++i) {
            const int reference = static_cast<int16_t>(rawBytes[2 * i] | rawBytes[2 * i + 1] << 8);
            const int error = std::abs(ours.samples[i] - reference);
            sum += static_cast<double>(error) * error;
            if (error > worst) {
                worst = error;
                worstAt = i;
            }
        }
        const size_t perGranule = 576u * static_cast<size_t>(ours.channels);
        EXPECT_LE(worst, 2) << "granule " << worstAt / perGranule;
        EXPECT_LT(std::sqrt(sum / static_cast<double>(ours.samples.size())), 0.289);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, Layer3Crafted,
    ::testing::Values(CraftCase{"mpeg1_44k_mono", 1, 0, 3, 0, true},
                      CraftCase{"mpeg1_48k_stereo", 1, 1, 0, 0, true},
                      CraftCase{"mpeg1_32k_mid_side", 1, 2, 1, 2, true},
                      CraftCase{"mpeg1_44k_intensity", 1, 0, 1, 1, true},
                      CraftCase{"mpeg1_44k_intensity_mid_side", 1, 0, 1, 3, true},
                      CraftCase{"mpeg1_48k_dual", 1, 1, 2, 0, true},
                      CraftCase{"mpeg2_22k_mono", 0, 0, 3, 0, true},
                      CraftCase{"mpeg2_24k_mid_side", 0, 1, 1, 2, true},
                      CraftCase{"mpeg2_16k_intensity", 0, 2, 1, 1, false},
                      CraftCase{"mpeg2_22k_intensity_mid_side", 0, 0, 1, 3, false},
                      CraftCase{"mpeg25_11k_stereo", 2, 0, 0, 0, true},
                      CraftCase{"mpeg25_12k_intensity", 2, 1, 1, 1, false},
                      CraftCase{"mpeg25_8k_mono", 2, 2, 3, 0, true},
                      CraftCase{"mpeg25_8k_mid_side", 2, 2, 1, 2, true},
                      CraftCase{"mpeg25_8k_intensity_mid_side", 2, 2, 1, 3, false}),
    [](const ::testing::TestParamInfo<CraftCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velt::mpeg::layer3
