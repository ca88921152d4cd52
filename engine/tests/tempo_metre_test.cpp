// Metre decisions: numerator from the histogram, bar splits, ChordRes.
#include <gtest/gtest.h>

#include "tempo/metre.h"
#include "tempo_fixtures.h"

namespace velt::engine {
namespace {

TEST(TempoMetre, ChordResFitsTheNumerator) {
    struct Case {
        int chordRes, numerator, expected;
    };
    const Case cases[] = {
        {3, 4, 4},  {2, 4, 2}, {8, 4, 8}, {0, 4, 2}, {0, 3, 3}, {0, 6, 3},
        {0, 12, 6}, {5, 4, 4}, {6, 3, 6}, {1, 4, 1}, {4, 6, 6}, {24, 12, 24},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SettleChordRes(c.chordRes, c.numerator), c.expected)
            << "ChordRes " << c.chordRes << " with N = " << c.numerator;
    }
}

TEST(TempoMetre, BarSplitsByNumerator) {
    struct Case {
        int numerator, levels;
        bool firstTernary;
    };
    const Case cases[] = {{2, 1, false}, {3, 1, true},  {4, 2, false},
                          {6, 2, true},  {8, 3, false}, {12, 3, true}};
    for (const Case& c : cases) {
        EXPECT_TRUE(IsGridNumerator(c.numerator));
        EXPECT_EQ(BarSplitsFor(c.numerator).levels, c.levels) << c.numerator;
        EXPECT_EQ(BarSplitsFor(c.numerator).firstTernary, c.firstTernary) << c.numerator;
    }
    for (int other : {0, 1, 5, 7, 9, 16}) EXPECT_FALSE(IsGridNumerator(other)) << other;
}

// Beats at 80 BPM (so a three-beat bar is too long to pass for a beat), plus an extra onset a
// third of a beat into every `extraEvery`-th beat.
std::vector<int32_t> beatsWithExtras(int extraEvery) {
    std::vector<int32_t> onsets;
    for (int beat = 0; beat < 90; ++beat) {
        onsets.push_back(1000 + beat * 8269);
        if (extraEvery > 0 && beat % extraEvery == 0) onsets.push_back(1000 + beat * 8269 + 2756);
    }
    return onsets;
}

TEST(TempoMetre, NumeratorFromTwoAndThreeBeatDistances) {
    const struct {
        const char* name;
        int extraEvery, expected;
    } cases[] = {
        {"plain beats", 0, 4},
        {"a figure every three beats", 3, 3},
        {"a figure every four beats", 4, 4},
        {"a figure every two beats", 2, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SmoothedHistogram smoothed(OnsetDistanceHistogram(beatsWithExtras(c.extraEvery)));
        const int period = FoldPeriod(smoothed.peakPeriod());
        EXPECT_NEAR(period, 8269, 2);
        EXPECT_EQ(DetectNumerator(smoothed, period), c.expected);
    }
}

}  // namespace
}  // namespace velt::engine
