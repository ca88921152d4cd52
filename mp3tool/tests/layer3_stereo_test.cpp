// Joint stereo reconstruction: mid/side, and intensity stereo of MPEG-1 and of the low
// sampling rates, with the bound above the right channel's last non-zero line (per window for
// short blocks) and illegal positions.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "mpeg/layer3/band_tables.h"
#include "mpeg/layer3/stereo.h"

namespace velt::mpeg::layer3 {
namespace {

FrameFormat jointStereo(int versionCode, int modeExtension) {
    FrameFormat format;
    format.versionCode = versionCode;
    format.samplingIndex = 0;
    format.mode = 1;
    format.modeExtension = modeExtension;
    return format;
}

struct Lines {
    Spectrum left{};
    Spectrum right{};
};

// Left 1.0 everywhere; right 0.5 in the lines below `rightEnd`.
Lines longLines(int rightEnd) {
    Lines lines;
    lines.left.fill(1.0f);
    for (int i = 0; i < rightEnd; ++i) lines.right[static_cast<size_t>(i)] = 0.5f;
    return lines;
}

int bandOf(const BandTable& bands, int line) {
    int band = 0;
    while (bands.longStart[static_cast<size_t>(band) + 1] <= line) ++band;
    return band;
}

TEST(Layer3Stereo, MidSideOnly) {
    Lines lines = longLines(576);
    GranuleChannel right;
    ScaleFactors sf;
    processStereo(jointStereo(1, 2), right, sf, bandTable(0), lines.left, lines.right);
    const float s = static_cast<float>(1.0 / std::numbers::sqrt2);
    EXPECT_FLOAT_EQ(lines.left[100], 1.5f * s);
    EXPECT_FLOAT_EQ(lines.right[100], 0.5f * s);
}

TEST(Layer3Stereo, Mpeg1IntensityAboveTheBound) {
    const BandTable& bands = bandTable(0);
    for (bool midSide : {false, true}) {
        SCOPED_TRACE(midSide ? "with mid/side" : "intensity only");
        Lines lines = longLines(16);  // right ends in band 3: intensity from band 4
        GranuleChannel right;
        ScaleFactors sf;
        for (int b = 0; b < kLongBands; ++b) sf.longBand[static_cast<size_t>(b)] = b % 8;
        processStereo(jointStereo(1, midSide ? 3 : 1), right, sf, bands, lines.left, lines.right);
        const double s = 1.0 / std::numbers::sqrt2;
        for (int i = 0; i < kGranuleLines; ++i) {
            SCOPED_TRACE(i);
            const int band = bandOf(bands, i);
            const int position =
                band < 4 ? -1 : sf.longBand[static_cast<size_t>(band == 21 ? 20 : band)];
            double left = 1.0, rightValue = i < 16 ? 0.5 : 0.0;
            if (position >= 0 && position < 7) {
                const double ratio = std::tan(position * std::numbers::pi / 12.0);
                left = position == 6 ? 1.0 : ratio / (1.0 + ratio);
                rightValue = position == 6 ? 0.0 : 1.0 / (1.0 + ratio);
            } else if (midSide) {  // below the bound, or an illegal position
                const double mid = left, side = rightValue;
                left = (mid + side) * s;
                rightValue = (mid - side) * s;
            }
            EXPECT_NEAR(lines.left[static_cast<size_t>(i)], left, 1e-6);
            EXPECT_NEAR(lines.right[static_cast<size_t>(i)], rightValue, 1e-6);
        }
    }
}

TEST(Layer3Stereo, LowSamplingRateIntensityScalesOneChannel) {
    const BandTable& bands = bandTable(3);
    for (int intensityScale : {0, 1}) {
        SCOPED_TRACE(intensityScale);
        Lines lines = longLines(0);  // right silent: intensity everywhere
        GranuleChannel right;
        right.scalefacCompress = intensityScale;
        ScaleFactors sf;
        sf.longMax.fill(7);
        const int positions[4] = {0, 3, 2, 7};  // 7 is the illegal (largest) value
        for (int b = 0; b < kLongBands; ++b) sf.longBand[static_cast<size_t>(b)] = positions[b % 4];
        processStereo(jointStereo(0, 1), right, sf, bands, lines.left, lines.right);
        const double io = intensityScale ? 1.0 / std::numbers::sqrt2 : std::pow(2.0, -0.25);
        const double expectedLeft[4] = {1.0, io * io, 1.0, 1.0};
        const double expectedRight[4] = {1.0, 1.0, io, 0.0};
        for (int b = 0; b < 21; ++b) {
            SCOPED_TRACE(b);
            const size_t line = bands.longStart[static_cast<size_t>(b)];
            EXPECT_NEAR(lines.left[line], expectedLeft[b % 4], 1e-6);
            EXPECT_NEAR(lines.right[line], expectedRight[b % 4], 1e-6);
        }
    }
}

TEST(Layer3Stereo, ShortBlocksTakeTheBoundPerWindow) {
    const BandTable& bands = bandTable(0);
    GranuleChannel right;
    right.windowSwitching = true;
    right.blockType = 2;
    Lines lines;
    lines.left.fill(1.0f);
    // Window 0 holds right-channel lines up to band 5, window 1 none.
    auto target = [](int frequency, int window) {
        return static_cast<size_t>((frequency / 6) * 18 + window * 6 + frequency % 6);
    };
    for (int f = 0; f < bands.shortStart[6]; ++f) lines.right[target(f, 0)] = 0.5f;
    ScaleFactors sf;  // every position 0: right gets everything
    processStereo(jointStereo(1, 1), right, sf, bands, lines.left, lines.right);
    const int inBand2 = bands.shortStart[2];
    EXPECT_FLOAT_EQ(lines.right[target(inBand2, 0)], 0.5f);  // below window 0's bound
    EXPECT_FLOAT_EQ(lines.left[target(inBand2, 0)], 1.0f);
    EXPECT_FLOAT_EQ(lines.right[target(inBand2, 1)], 1.0f);  // window 1: intensity
    EXPECT_FLOAT_EQ(lines.left[target(inBand2, 1)], 0.0f);
    const int inBand8 = bands.shortStart[8];
    EXPECT_FLOAT_EQ(lines.right[target(inBand8, 0)], 1.0f);  // above window 0's bound
}

}  // namespace
}  // namespace velt::mpeg::layer3
