// Layer I and II compliance streams of ISO/IEC 11172-4 decode with "full accuracy" against the
// reference decoder's output; the deliberately illegal streams end cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "mpeg_test_util.h"

namespace velt::mpeg {
namespace {

// The compliance streams kept in the repository.
std::filesystem::path complianceDir() {
    return velt::test::testdataDir() / "mpeg";
}

struct Stream {
    const char* name;
    int rate;
    int channels;
    int samplesPerFrame;
};

void PrintTo(const Stream& s, std::ostream* os) {
    *os << s.name;
}

class MpegCompliance : public ::testing::TestWithParam<Stream> {};

TEST_P(MpegCompliance, DecodesWithFullAccuracy) {
    const Stream& s = GetParam();
    const std::filesystem::path bit = complianceDir() / (std::string(s.name) + ".bit");
    ASSERT_TRUE(std::filesystem::exists(bit)) << bit;
    const test::Decoded decoded = test::decodeBytes(velt::test::readBytes(bit));
    const std::vector<std::int16_t> reference =
        test::readPcm(complianceDir() / (std::string(s.name) + ".pcm"));
    EXPECT_EQ(decoded.sampleRate, s.rate);
    EXPECT_EQ(decoded.channels, s.channels);
    EXPECT_EQ(decoded.refused, 0);
    EXPECT_EQ(decoded.endCode, kEndOfStream);
    // The references are zero-padded: compare the decoded frames only.
    const std::size_t count =
        static_cast<std::size_t>(decoded.frames) * s.samplesPerFrame * s.channels;
    ASSERT_GT(decoded.frames, 0);
    ASSERT_LE(count, reference.size());
    const test::Difference d = test::compare(decoded.pcm, reference, count);
    EXPECT_EQ(d.compared, count);
    EXPECT_TRUE(test::fullAccuracy(d)) << "rms " << d.rms << " max " << d.maxAbs;
}

INSTANTIATE_TEST_SUITE_P(Streams, MpegCompliance,
                         ::testing::Values(Stream{"l1-fl1", 32000, 2, 384},
                                           Stream{"l1-fl2", 44100, 2, 384},
                                           Stream{"l1-fl4", 32000, 1, 384},
                                           Stream{"l2-fl10", 32000, 2, 1152},
                                           Stream{"l2-fl13", 32000, 1, 1152}),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& c : n) {
                                 if (c == '-') c = '_';
                             }
                             return n;
                         });

TEST(MpegComplianceIllegal, IllegalStreamsEndCleanly) {
    for (const char* name : {"ILL2_overalloc1", "ILL2_layer3"}) {
        SCOPED_TRACE(name);
        const std::filesystem::path bit = complianceDir() / (std::string(name) + ".bit");
        ASSERT_TRUE(std::filesystem::exists(bit)) << bit;
        const test::Decoded decoded = test::decodeBytes(velt::test::readBytes(bit));
        EXPECT_EQ(decoded.endCode, kEndOfStream);
    }
}

}  // namespace
}  // namespace velt::mpeg
