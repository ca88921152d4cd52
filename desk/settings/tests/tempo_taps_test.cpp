// The arithmetic of tempo tapping: gaps kept, ignored and too long, the tapped tempo held to the
// tempo box's range, rounding that saturates, the two-byte gaps, and the padding back to the
// start of the audio (whole measures, or beat by beat with no beats per measure).
#include "desk/settings/tempo_taps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velt::desk {
namespace {

std::vector<int> gapsOf(const std::string& buffer) {
    std::vector<int> gaps;
    for (size_t i = 0; i + 1 < buffer.size(); i += 2)
        gaps.push_back(static_cast<unsigned char>(buffer[i]) |
                       static_cast<unsigned char>(buffer[i + 1]) << 8);
    return gaps;
}

TEST(TempoTaps, GapsTemposAndTheTempoBox) {
    struct Gap {
        int64_t ms;
        TapGap verdict;
    } gaps[] = {{0, TapGap::SameMillisecond}, {1, TapGap::Kept},        {500, TapGap::Kept},
                {65534, TapGap::Kept},        {65535, TapGap::TooLong}, {70000, TapGap::TooLong}};
    for (const auto& g : gaps) EXPECT_EQ(ClassifyTapGap(g.ms), g.verdict) << g.ms;

    struct Tempo {
        const char* name;
        int64_t taps, span;
        std::optional<double> bpm;
    } tempos[] = {
        {"four taps 500 ms apart", 4, 1500, 120.0},
        {"two taps", 2, 400, 150.0},
        {"one tap", 1, 0, std::nullopt},
        {"no time between", 3, 0, std::nullopt},
        {"very fast: the box's top", 2, 10, 1080.0},
        {"very slow: the box's bottom", 2, 65534, 5.0},
    };
    for (const auto& t : tempos) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(TappedTempo(t.taps, t.span), t.bpm);
    }

    struct Box {
        double bpm;
        int32_t number;
    } boxes[] = {{120.5, 120}, {121.5, 122}, {99.49, 99},    {1e12, 1080},
                 {-1e12, 5},   {4.4, 5},     {1080.4, 1080}, {std::nan(""), 5}};
    for (const auto& b : boxes) EXPECT_EQ(TempoBoxNumber(b.bpm), b.number) << b.bpm;

    std::string buffer;
    AppendTapGap(buffer, 500);
    AppendTapGap(buffer, 65534);
    EXPECT_EQ(buffer, std::string("\xF4\x01\xFE\xFF", 4));
}

TEST(TempoTaps, PaddingBackToTheStartOfTheAudio) {
    struct Case {
        const char* name;
        float start, tempo;
        int32_t perMeasure;
        int32_t beats;
        float newStart;
        std::vector<int> gaps;
    } cases[] = {
        {"4/4 at 120, first tap at 2.5 s", 2.5f, 120, 4, 8, -1.5f, std::vector<int>(8, 500)},
        {"no beats per measure, first tap at 1.2 s", 1.2f, 120, 0, 3, -0.3f, {500, 500, 500}},
        {"first tap at the start", 0.0f, 120, 4, 0, 0.0f, {}},
        {"90 BPM: thirds of ms never add up", 1.9f, 90, 1, 3, -0.1f, {667, 666, 667}},
        {"no tempo", 3.0f, 0, 4, 0, 3.0f, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TapPadding p = PadTapsToStart(c.start, c.tempo, c.perMeasure);
        EXPECT_EQ(p.beats, c.beats);
        EXPECT_NEAR(p.start, c.newStart, 1e-5);
        EXPECT_EQ(gapsOf(p.gaps), c.gaps);
    }
}

}  // namespace
}  // namespace velt::desk
