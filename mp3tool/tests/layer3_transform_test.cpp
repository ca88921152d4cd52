// The hybrid filterbank's transforms against the direct double-precision formulas, its windows,
// and whole-granule processing (overlap-add, frequency inversion, the silent-subband shortcut).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "mpeg/layer3/hybrid_filterbank.h"

namespace velt::mpeg::layer3 {
namespace {

double directImdct(const float* in, int n, int i) {
    double sum = 0.0;
    for (int k = 0; k < n / 2; ++k)
        sum += in[k] * std::cos(std::numbers::pi / (2.0 * n) * (2 * i + 1 + n / 2.0) * (2 * k + 1));
    return sum;
}

TEST(Layer3Transform, ImdctMatchesTheDirectFormula) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    for (int round = 0; round < 20; ++round) {
        float in[18], out36[36], out12[12];
        for (float& v : in) v = value(random);
        imdct36(in, out36);
        imdct12(in, out12);
        for (int i = 0; i < 36; ++i) EXPECT_NEAR(out36[i], directImdct(in, 36, i), 1e-5);
        for (int i = 0; i < 12; ++i) EXPECT_NEAR(out12[i], directImdct(in, 12, i), 1e-5);
    }
}

TEST(Layer3Transform, WindowsOfTheFourBlockTypes) {
    const double pi = std::numbers::pi;
    for (int i = 0; i < 36; ++i) {
        EXPECT_NEAR(imdctWindow(0, i), std::sin(pi / 36 * (i + 0.5)), 1e-7);
    }
    // Start block: long rise, flat 18..23, short fall 24..29, zero 30..35; stop block mirrored.
    for (int i = 0; i < 36; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(imdctWindow(1, i), imdctWindow(3, 35 - i), 1e-7);
    }
    EXPECT_FLOAT_EQ(imdctWindow(1, 20), 1.0f);
    EXPECT_NEAR(imdctWindow(1, 24), std::sin(pi / 12 * 6.5), 1e-7);
    EXPECT_FLOAT_EQ(imdctWindow(1, 30), 0.0f);
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(imdctWindow(2, i), std::sin(pi / 12 * (i + 0.5)), 1e-7);
}

// One long-block subband through two granules: the output is the windowed IMDCT's first half
// plus the previous granule's second half, with every odd sample of an odd subband negated.
// Only lines 8 and 9 of the subband are set: the antialias butterflies reach lines 0..7 and
// 10..17 only, so they leave this input alone.
TEST(Layer3Transform, LongBlocksOverlapAddAndInvertOddSubbands) {
    GranuleChannel gc;  // block type 0
    HybridFilterbank bank;
    const int sb = 5;
    float first[18] = {}, second[18] = {};
    first[8] = 0.75f;
    first[9] = -0.25f;
    second[8] = -0.5f;
    second[9] = 0.125f;
    std::array<float, kGranuleLines> lines{};
    SubbandSlots out{};
    for (int k = 0; k < 18; ++k) lines[static_cast<size_t>(sb * 18 + k)] = first[k];
    bank.process(gc, lines, 32, out);
    lines.fill(0.0f);
    for (int k = 0; k < 18; ++k) lines[static_cast<size_t>(sb * 18 + k)] = second[k];
    bank.process(gc, lines, 32, out);
    const double pi = std::numbers::pi;
    for (int i = 0; i < 18; ++i) {
        const double previous = directImdct(first, 36, 18 + i) * std::sin(pi / 36 * (18 + i + 0.5));
        const double current = directImdct(second, 36, i) * std::sin(pi / 36 * (i + 0.5));
        const double expected = (i & 1) ? -(current + previous) : current + previous;
        EXPECT_NEAR(out[sb][i], expected, 1e-5) << "sample " << i;
        for (int other = 0; other < kSubbands; ++other) {
            if (other != sb) {
                EXPECT_EQ(out[other][i], 0.0f);
            }
        }
    }
}

// Short blocks: three windowed 12-point IMDCTs placed at 6, 12 and 18 of the 36 outputs.
TEST(Layer3Transform, ShortBlocksPlaceThreeWindows) {
    GranuleChannel gc;
    gc.windowSwitching = true;
    gc.blockType = 2;
    HybridFilterbank bank;
    std::array<float, kGranuleLines> lines{};
    const int sb = 2;  // even: no inversion
    float windows[3][6];
    std::mt19937 random(11);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    for (int w = 0; w < 3; ++w)
        for (int k = 0; k < 6; ++k)
            lines[static_cast<size_t>(sb * 18 + w * 6 + k)] = windows[w][k] = value(random);
    double z[36] = {};
    for (int w = 0; w < 3; ++w)
        for (int i = 0; i < 12; ++i)
            z[6 + w * 6 + i] +=
                directImdct(windows[w], 12, i) * std::sin(std::numbers::pi / 12 * (i + 0.5));
    SubbandSlots out{};
    bank.process(gc, lines, 32, out);
    for (int i = 0; i < 18; ++i) EXPECT_NEAR(out[sb][static_cast<size_t>(i)], z[i], 1e-5) << i;
    // The second half comes out of the next (silent) granule.
    lines.fill(0.0f);
    bank.process(gc, lines, 32, out);
    for (int i = 0; i < 18; ++i) EXPECT_NEAR(out[sb][static_cast<size_t>(i)], z[18 + i], 1e-5) << i;
    // Then silence.
    bank.process(gc, lines, 32, out);
    for (int i = 0; i < 18; ++i) EXPECT_EQ(out[sb][static_cast<size_t>(i)], 0.0f);
}

// Subbands at and above the limit are silent and forget their overlap.
TEST(Layer3Transform, SubbandLimitSilencesTheUpperBand) {
    GranuleChannel gc;
    HybridFilterbank bank;
    std::array<float, kGranuleLines> lines{};
    for (float& v : lines) v = 0.25f;
    SubbandSlots out{};
    bank.process(gc, lines, 8, out);
    for (int slot = 0; slot < kSlots; ++slot)
        for (int sb = 8; sb < kSubbands; ++sb)
            EXPECT_EQ(out[static_cast<size_t>(sb)][static_cast<size_t>(slot)], 0.0f);
    lines.fill(0.0f);
    bank.process(gc, lines, 32, out);
    for (int slot = 0; slot < kSlots; ++slot)
        for (int sb = 8; sb < kSubbands; ++sb)
            EXPECT_EQ(out[static_cast<size_t>(sb)][static_cast<size_t>(slot)], 0.0f);
}

}  // namespace
}  // namespace velt::mpeg::layer3
