// Synthesis at the limits of its number range: sums far outside 16 bits, infinities and values
// that are not numbers must give clamped samples (never an out-of-range conversion), in the
// one-sample form and in the four-at-a-time path of the filter, at full and reduced rate.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "mpeg/synthesis.h"

namespace velt::mpeg {
namespace {

TEST(MpegSynthesisLimits, SumsBeyondTheRangeAreClampedAndNotANumberIsTheLowestSample) {
    struct Case {
        double sum;
        int fullRate;
        int reduced;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {32766.5, 32766, 32766},  // a tie at the top goes to the even neighbour
        {-32767.5, -32768, -32767}, {1e300, 32767, 32767},
        {-1e300, -32768, -32768},   {inf, 32767, 32767},
        {-inf, -32768, -32768},     {std::numeric_limits<double>::quiet_NaN(), -32768, -32768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sum);
        EXPECT_EQ(pcmSample(c.sum, true), c.fullRate);
        EXPECT_EQ(pcmSample(c.sum, false), c.reduced);
    }
}

TEST(MpegSynthesisLimits, SlotsOfHugeAndInvalidValuesGiveSamplesInRange) {
    const float huge = std::numeric_limits<float>::max();
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int shift = 0; shift <= 2; ++shift) {
        SCOPED_TRACE(shift);
        SynthesisChannel channel;
        channel.setReduction(shift);
        std::vector<std::int16_t> pcm(20 * 32, 12345);
        channel.setOutput(pcm.data(), 1);
        float slot[32] = {};
        slot[0] = huge;
        slot[1] = -huge;
        slot[5] = inf;
        slot[9] = nan;
        channel.synthesize(slot);
        // Then silence: the damaged values leave the history after 16 slots.
        const float silence[32] = {};
        for (int i = 0; i < 19; ++i) channel.synthesize(silence);
        const std::size_t written = static_cast<std::size_t>(20 * (32 >> shift));
        EXPECT_EQ(channel.output(), pcm.data() + written);
        for (std::size_t i = written - (32u >> shift); i < written; ++i) EXPECT_EQ(pcm[i], 0);
        for (std::size_t i = written; i < pcm.size(); ++i) ASSERT_EQ(pcm[i], 12345);
    }
}

}  // namespace
}  // namespace velt::mpeg
