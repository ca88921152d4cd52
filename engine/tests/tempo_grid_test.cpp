// The metrical grid: splits, cell boundaries, phase scores, refinement, and start alignment.
#include <gtest/gtest.h>

#include "tempo/metrical_grid.h"
#include "tempo/start_alignment.h"
#include "tempo_fixtures.h"

namespace velt::engine {
namespace {

MetricalGrid barOfFour(int64_t period) {
    MetricalGrid grid(period);
    grid.split(false);
    grid.split(false);
    return grid;
}

// Onsets at `first` + bar x 4000 + each offset, for `bars` bars.
std::vector<int32_t> barsOf(std::vector<int32_t> offsets, int bars, int32_t first = 10000) {
    std::vector<int32_t> onsets;
    for (int bar = 0; bar < bars; ++bar) {
        for (int32_t offset : offsets) onsets.push_back(first + bar * 4000 + offset);
    }
    return onsets;
}

TEST(TempoGrid, SplitsKeepStrongPositionsHeavy) {
    MetricalGrid grid(1200);
    grid.split(false);
    EXPECT_EQ(grid.weights(), std::vector<int32_t>({2, 1}));
    EXPECT_EQ(grid.boundaries(), std::vector<int64_t>({400, 800}));
    grid.split(true);
    EXPECT_EQ(grid.weights(), std::vector<int32_t>({4, 1, 1, 2, 1, 1}));
    EXPECT_TRUE(grid.anyTernary());
    EXPECT_TRUE(grid.lastSplitTernary());
    grid.split(false);
    EXPECT_EQ(grid.size(), 12);
    EXPECT_FALSE(grid.lastSplitTernary());
    EXPECT_TRUE(grid.anyTernary());

    EXPECT_EQ(barOfFour(4000).weights(), std::vector<int32_t>({4, 1, 2, 1}));
    // Each boundary lies nearer the weaker neighbour.
    EXPECT_EQ(barOfFour(4000).boundaries(), std::vector<int64_t>({800, 1333, 2666, 3200}));
    EXPECT_EQ(MetricalGrid(1000).boundaries(), std::vector<int64_t>({500}));
}

TEST(TempoGrid, WithoutOnsetsPhaseZeroScoresZero) {
    const PhaseFit fit = BestPhase(barOfFour(4000), {});
    EXPECT_EQ(fit.phase, 0);
    EXPECT_EQ(fit.score, 0);
    EXPECT_EQ(fit.weakFraction, 0);
    // A single onset never moves the walk: no denominator, score 0.
    EXPECT_EQ(ScorePhase(barOfFour(4000), {5000}, 2).score, 0);
}

TEST(TempoGrid, LongNotesOnStrongPointsScoreHighest) {
    // Bars of a half note and two quarters.
    const MetricalGrid grid = barOfFour(4000);
    const std::vector<int32_t> onsets = barsOf({0, 2000, 3000}, 10);
    // From the downbeat each bar leaves 2 x 4 + 2 + 1 and passes 1 + 2 + 1 + 4; the first point
    // counts, the last (weight 1) does not.
    const PhaseFit downbeat = ScorePhase(grid, onsets, 0);
    EXPECT_DOUBLE_EQ(downbeat.score, 109.0 / 79.0);
    for (int phase = 1; phase < 4; ++phase) {
        EXPECT_LT(ScorePhase(grid, onsets, phase).score, downbeat.score) << phase;
    }
    EXPECT_EQ(BestPhase(grid, onsets).phase, 0);
    // The half note of a bar that holds one onset per beat is not weak; the quarters on 4 are.
    EXPECT_DOUBLE_EQ(downbeat.weakFraction, 10.0 / 40.0);
}

TEST(TempoGrid, PickupPutsTheFirstOnsetOnTheLastBeat) {
    const MetricalGrid grid = barOfFour(4000);
    std::vector<int32_t> onsets = {3000};
    for (int32_t t : barsOf({0, 2000, 3000}, 10, 4000)) onsets.push_back(t);
    EXPECT_EQ(BestPhase(grid, onsets).phase, 3);
    // The grid start nearest the onsets is the pickup itself; the bar starts three units before.
    EXPECT_EQ(AlignStart(onsets, 1000), 3000);
}

TEST(TempoGrid, SteadyBeatsTieAndKeepTheDownbeat) {
    std::vector<int32_t> onsets;
    for (int i = 0; i < 40; ++i) onsets.push_back(5000 + i * 1000);
    const MetricalGrid grid = barOfFour(4000);
    for (int phase = 0; phase < 4; ++phase) {
        EXPECT_DOUBLE_EQ(ScorePhase(grid, onsets, phase).score, 1.0) << phase;
    }
    EXPECT_EQ(BestPhase(grid, onsets).phase, 0);
}

TEST(TempoGrid, GivenResolutionAddsItsLevels) {
    const std::vector<int32_t> onsets = barsOf({0, 1000, 2000, 3000}, 4);
    const RefinedGrid sixteenths = RefineGiven(barOfFour(4000), onsets, 2, false);
    EXPECT_EQ(sixteenths.grid.size(), 16);
    EXPECT_EQ(sixteenths.fit.phase, 0);
    const RefinedGrid triplets = RefineGiven(barOfFour(4000), onsets, 1, true);
    EXPECT_EQ(triplets.grid.size(), 12);
    EXPECT_TRUE(triplets.grid.lastSplitTernary());
    // A bar already split in three takes no second ternary level.
    MetricalGrid waltz(3000);
    waltz.split(true);
    EXPECT_EQ(RefineGiven(waltz, onsets, 1, true).grid.weights(),
              std::vector<int32_t>({4, 1, 2, 1, 2, 1}));
}

TEST(TempoGrid, AutomaticRefinementStopsWhereWeakPositionsFallSilent) {
    struct Case {
        const char* name;
        std::vector<int32_t> offsets;  // within each 4000-frame bar of four beats
        int expectedPoints;
        bool lastTernary;
    };
    const Case cases[] = {
        {"quarters: the first binary level finds no weak onsets", {0, 1000, 2000, 3000}, 8, false},
        {"eighths: one level more", {0, 500, 1000, 1500, 2000, 2500, 3000, 3500}, 16, false},
        {"triplet eighths: ternary kept, then a binary level",
         {0, 333, 667, 1000, 1333, 1667, 2000, 2333, 2667, 3000, 3333, 3667},
         24,
         false},
        {"one stray triplet: the ternary level is replaced by a binary one",
         {0, 1000, 1333, 2000, 3000},
         8,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<int32_t> onsets = barsOf(c.offsets, 12);
        // Distances are far below a beat period here: build the histogram the tests want to see.
        std::vector<int32_t> histogram(kDistanceBins, 0);
        for (size_t i = 0; i < onsets.size(); ++i) {
            for (size_t j = i + 1; j < onsets.size() && onsets[j] - onsets[i] < 1100; ++j) {
                ++histogram[onsets[j] - onsets[i]];
            }
        }
        const RefinedGrid refined =
            RefineAutomatically(barOfFour(4000), onsets, SmoothedHistogram(histogram));
        EXPECT_EQ(refined.grid.size(), c.expectedPoints);
        EXPECT_EQ(refined.grid.lastSplitTernary(), c.lastTernary);
    }
}

TEST(TempoGrid, StartAlignmentFollowsTheBulkOfTheOnsets) {
    // The first onset is early; the rest sit on a 1000-frame grid from 6000.
    std::vector<int32_t> onsets = {4880};
    for (int32_t t = 6000; t <= 33000; t += 1000) onsets.push_back(t);
    EXPECT_EQ(AlignStart(onsets, 1000), 5000);
    // Between two equally good starts the earlier wins.
    EXPECT_EQ(AlignStart({1000, 2010}, 1000), 1000);  // 1000 ... 1010 all sum to 10
    // A lone onset is its own start.
    EXPECT_EQ(AlignStart({7000}, 1000), 7000);
}

}  // namespace
}  // namespace velt::engine
