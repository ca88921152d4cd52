// Channel allocation around channel 10 and a master file's channels, and the coverage colours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desk/core/shared/channel_allocation.h"
#include "desk/instruments/pitch_coverage.h"

namespace velt::desk {
namespace {

ChannelsInUse inUse(std::vector<int> channels) {
    ChannelsInUse used{};
    for (int c : channels) used[c] = true;
    return used;
}

// The first `activeMelodic` melodic rows active, every melodic row on channel 1.
std::vector<ChannelRow> rows(int activeMelodic) {
    std::vector<ChannelRow> out(16);
    for (int i = 0; i < 15; ++i) out[i] = {i < activeMelodic, 1};
    out[15] = {true, 10};
    return out;
}

TEST(ChannelAllocation, TableOfCases) {
    struct Case {
        std::string name;
        std::vector<ChannelRow> rows;
        ChannelsInUse used;
        std::vector<int> channels;
        bool shortage;
    };
    std::vector<ChannelRow> spread(16);
    for (int i : {0, 2, 5}) spread[i] = {true, 7};
    spread[15] = {true, 10};
    std::vector<ChannelRow> mutedAndMoved = {{true, 0}, {true, 4}, {false, 9}, {true, 5}};
    std::vector<int> ten = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 1, 1, 1, 1, 1, 10};
    const std::vector<Case> cases = {
        {"rows 0, 2 and 5 take 1, 2, 3; percussion keeps 10",
         spread,
         {},
         {1, 0, 2, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10},
         false},
        {"ten rows take 1..9 and 11", rows(10), {}, ten, false},
        {"a master on 1 and 2 starts at 3", {{true, 1}, {true, 2}}, inUse({1, 2}), {3, 4}, false},
        {"fifteen rows with 16 in use: the last is muted",
         rows(15),
         inUse({16}),
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 0, 10},
         true},
        {"muted stays muted, inactive keeps, a moved percussion row takes part",
         mutedAndMoved,
         {},
         {0, 1, 9, 2},
         false},
        {"every channel but 10 in use mutes all",
         {{true, 1}, {true, 2}},
         inUse({1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16}),
         {0, 0},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ChannelAllocation result = AllocateChannels(c.rows, c.used);
        EXPECT_EQ(result.channels, c.channels);
        EXPECT_EQ(result.shortage, c.shortage);
    }
    // Sixteen rows and no master: channel 16 is the last one given, then rows are muted.
    std::vector<ChannelRow> many(17, ChannelRow{true, 1});
    const ChannelAllocation crowded = AllocateChannels(many, {});
    EXPECT_EQ(crowded.channels[14], 16);
    EXPECT_EQ(crowded.channels[15], 0);
    EXPECT_EQ(crowded.channels[16], 0);
    EXPECT_TRUE(crowded.shortage);
}

TEST(ChannelAllocation, TheSearchSkipsTenAndStopsAtSixteen) {
    EXPECT_EQ(NextChannel(0, {}), 1);
    EXPECT_EQ(NextChannel(9, {}), 11);
    EXPECT_EQ(NextChannel(0, inUse({1, 2, 3})), 4);
    EXPECT_EQ(NextChannel(8, inUse({9, 11})), 12);
    EXPECT_EQ(NextChannel(15, inUse({16})), 16);  // reached, but in use: none left
    EXPECT_EQ(NextChannel(16, {}), 16);
}

TEST(PitchCoverage, ColoursAtTheMasterRangeBoundaries) {
    const std::vector<CoverageRow> melodic = {
        {true, 40, 60}, {true, 50, 70}, {false, 0, 127}, {true, 80, 90}};
    const auto colours = PitchCoverage(melodic, 45, 85);
    struct Probe {
        int note;
        long colour;
    };
    const std::vector<Probe> probes = {
        {39, kCoverageOutside}, {40, kCoverageBeyond}, {44, kCoverageBeyond},
        {45, kCoverageOne},     {49, kCoverageOne},    {50, kCoverageMany},
        {60, kCoverageMany},    {61, kCoverageOne},    {70, kCoverageOne},
        {71, kCoverageNone},    {79, kCoverageNone},   {80, kCoverageOne},
        {85, kCoverageOne},     {86, kCoverageBeyond}, {90, kCoverageBeyond},
        {91, kCoverageOutside}, {0, kCoverageOutside}, {127, kCoverageOutside},
    };
    for (const auto& p : probes) EXPECT_EQ(colours[p.note], p.colour) << "note " << p.note;
}

}  // namespace
}  // namespace velt::desk
