// Beat period: the distance histogram, the half-sine smoothing and the period pick with folding.
#include <gtest/gtest.h>

#include "tempo/beat_period.h"
#include "tempo_fixtures.h"

namespace velt::engine {
namespace {

using testing::SteadyBeats;

TEST(TempoBeatPeriod, KernelIsAHalfSineOf471Taps) {
    const std::vector<int32_t>& kernel = HalfSineKernel();
    ASSERT_EQ(kernel.size(), 471u);
    EXPECT_EQ(kernel[0], 0);
    EXPECT_EQ(kernel[235], 441800);
    EXPECT_EQ(kernel[470], 0);
    EXPECT_EQ(kernel[1], 2953);  // trunc(sin(pi / 470) x 441800)
    for (int j = 1; j < 235; ++j) {
        EXPECT_NEAR(kernel[j], kernel[470 - j], 1) << j;
        EXPECT_LT(kernel[j - 1], kernel[j]) << j;
    }
}

TEST(TempoBeatPeriod, HistogramCountsPairsCloserThanThreeSeconds) {
    const std::vector<int32_t> histogram = OnsetDistanceHistogram({0, 100, 300, 33410, 33411});
    ASSERT_EQ(histogram.size(), 33311u);
    EXPECT_EQ(histogram[100], 1);
    EXPECT_EQ(histogram[200], 1);
    EXPECT_EQ(histogram[300], 1);
    EXPECT_EQ(histogram[1], 1);      // 33410 -> 33411
    EXPECT_EQ(histogram[33110], 1);  // 300 -> 33410
    EXPECT_EQ(histogram[33111], 1);  // 300 -> 33411
    EXPECT_EQ(histogram[33310], 1);  // 100 -> 33410; 100 -> 33411 is too far
    int64_t total = 0;
    for (int32_t count : histogram) total += count;
    EXPECT_EQ(total, 7);
}

TEST(TempoBeatPeriod, SmoothingSpreadsEachDistanceOverTheKernel) {
    std::vector<int32_t> histogram(kDistanceBins, 0);
    histogram[5000] = 1;
    const SmoothedHistogram smoothed(histogram);
    const std::vector<int32_t>& kernel = HalfSineKernel();
    EXPECT_EQ(smoothed.at(5000), 441800);
    EXPECT_EQ(smoothed.at(5100), kernel[135]);
    EXPECT_EQ(smoothed.at(4900), kernel[335]);
    EXPECT_EQ(smoothed.at(5235), 0);
    EXPECT_EQ(smoothed.peakPeriod(), 5000);
    // Outside the smoothed lags everything reads 0.
    EXPECT_EQ(smoothed.at(228), 0);
    EXPECT_EQ(smoothed.at(33076), 0);
    EXPECT_EQ(SmoothedHistogram().at(5000), 0);
}

TEST(TempoBeatPeriod, LargeCountsDoNotOverflow) {
    std::vector<int32_t> histogram(kDistanceBins, 0);
    histogram[6615] = 100000;  // a long, dense piece
    const SmoothedHistogram smoothed(histogram);
    EXPECT_EQ(smoothed.at(6615), int64_t{441800} * 100000);
    EXPECT_EQ(smoothed.peakPeriod(), 6615);
}

TEST(TempoBeatPeriod, PeriodOnlyInsideTheRangeEarliestOnTies) {
    struct Case {
        const char* name;
        std::vector<int> distances;
        int expected;
    };
    const Case cases[] = {
        {"nothing", {}, 0},
        {"too short", {2000}, 0},
        {"too long", {23000}, 0},
        {"shortest edge", {2756}, 2756},
        {"longest edge", {22050}, 22050},
        {"tie goes to the earlier", {7000, 9000}, 7000},
        {"more pairs win", {7000, 9000, 9000}, 9000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int32_t> histogram(kDistanceBins, 0);
        for (int d : c.distances) ++histogram[d];
        EXPECT_EQ(SmoothedHistogram(histogram).peakPeriod(), c.expected);
    }
}

TEST(TempoBeatPeriod, FoldsOnceInto60To120Bpm) {
    const std::pair<int, int> cases[] = {{2756, 5512},   {5511, 11022}, {5512, 5512},
                                         {11024, 11024}, {11025, 5512}, {22050, 11025}};
    for (auto [period, folded] : cases) EXPECT_EQ(FoldPeriod(period), folded) << period;
}

TEST(TempoBeatPeriod, SteadyBeatsGiveTheirPeriod) {
    struct Case {
        double bpm;
        int expected;  // after folding
    };
    const Case cases[] = {{100, 6615}, {90, 7350}, {200, 6614}, {60, 5512}, {130, 10176}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bpm);
        const SmoothedHistogram smoothed(OnsetDistanceHistogram(SteadyBeats(c.bpm, 120)));
        EXPECT_NEAR(FoldPeriod(smoothed.peakPeriod()), c.expected, 2);
    }
}

}  // namespace
}  // namespace velt::engine
