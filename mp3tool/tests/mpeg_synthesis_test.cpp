// Polyphase synthesis: the window table's structure, the fast transform against the direct
// formula, the whole filter against a direct double-precision transcription of the standard's
// synthesis steps, rounding, clipping, rate reduction and interleaving.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "mpeg/synthesis.h"
#include "mpeg/synthesis_window.h"

namespace velt::mpeg {
namespace {

// The standard's synthesis steps written out directly, in double precision, without rounding:
// shift the 1024-value FIFO V by 64, matrix with N[i][k] = cos((16 + i)(2k + 1) pi / 64),
// build U from V, window by D and sum.
class DirectSynthesis {
  public:
    std::vector<double> slot(const float* s) {
        for (int i = 1023; i >= 64; --i) v_[i] = v_[i - 64];
        for (int i = 0; i < 64; ++i) {
            double sum = 0;
            for (int k = 0; k < 32; ++k) {
                sum += std::cos((16 + i) * (2 * k + 1) * std::numbers::pi / 64) * s[k];
            }
            v_[i] = sum;
        }
        double u[512];
        for (int i = 0; i < 8; ++i) {
            for (int j = 0; j < 32; ++j) {
                u[i * 64 + j] = v_[i * 128 + j];
                u[i * 64 + 32 + j] = v_[i * 128 + 96 + j];
            }
        }
        std::vector<double> out(32, 0.0);
        for (int j = 0; j < 32; ++j) {
            for (int i = 0; i < 16; ++i) {
                out[j] += u[j + 32 * i] * kSynthesisWindow[j + 32 * i] / 65536.0 * 32768.0;
            }
        }
        return out;
    }

  private:
    double v_[1024] = {};
};

TEST(MpegSynthesisWindow, IsSymmetricWithTheStandardsSigns) {
    const auto& d = kSynthesisWindow;
    EXPECT_EQ(d[0], 0);
    for (int i = 1; i < 256; ++i) {
        SCOPED_TRACE(i);
        if (i % 64 == 0) {
            EXPECT_EQ(d[512 - i], d[i]);
        } else {
            EXPECT_EQ(d[512 - i], -d[i]);
        }
    }
    // The centre tap is the largest; a few entries checked against the printed decimals.
    for (int i = 0; i < 512; ++i) {
        if (i != 256) {
            EXPECT_LT(std::abs(d[i]), d[256]);
        }
    }
    EXPECT_NEAR(d[1] / 65536.0, -0.000015259, 5e-10);
    EXPECT_NEAR(d[64] / 65536.0, 0.003250122, 5e-10);
    EXPECT_NEAR(d[128] / 65536.0, 0.031082153, 5e-10);
    EXPECT_NEAR(d[192] / 65536.0, 0.100311279, 5e-10);
    EXPECT_NEAR(d[255] / 65536.0, -1.144287109, 5e-10);
    EXPECT_NEAR(d[256] / 65536.0, 1.144989014, 5e-10);
    // The taps at the block starts 64, 128, ..., 448 are all positive.
    for (int block = 1; block < 8; ++block) EXPECT_GT(d[64 * block], 0) << block;
}

TEST(MpegSynthesis, FastTransformEqualsTheDirectFormula) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    for (int round = 0; round < 50; ++round) {
        float in[32];
        for (float& x : in) x = dist(rng);
        float out[32];
        fastCosineTransform32(in, out);
        for (int m = 0; m < 32; ++m) {
            double direct = 0;
            for (int k = 0; k < 32; ++k) {
                direct += in[k] * std::cos(m * (2 * k + 1) * std::numbers::pi / 64);
            }
            EXPECT_NEAR(out[m], direct, 2e-5) << "m=" << m;
        }
    }
}

TEST(MpegSynthesis, FilterEqualsTheStandardsStepsWithinRounding) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> dist(-0.05f, 0.05f);
    SynthesisChannel channel;
    DirectSynthesis direct;
    std::vector<std::int16_t> pcm(32);
    int off = 0;
    double worst = 0;
    for (int slot = 0; slot < 200; ++slot) {
        float s[32];
        for (float& x : s) x = dist(rng);
        channel.setOutput(pcm.data(), 1);
        channel.synthesize(s);
        const std::vector<double> ref = direct.slot(s);
        for (int j = 0; j < 32; ++j) {
            const double diff = pcm[j] - ref[j];
            worst = std::max(worst, std::abs(diff));
            if (pcm[j] != pcmSample(ref[j], true)) ++off;
        }
    }
    EXPECT_LE(worst, 0.51);
    EXPECT_LT(off, 40) << "samples rounded differently from the double-precision filter";
}

TEST(MpegSynthesis, ZerosAfterSilenceGiveZeros) {
    SynthesisChannel channel;
    std::vector<std::int16_t> pcm(64, 99);
    const float zeros[32] = {};
    channel.setOutput(pcm.data(), 1);
    channel.synthesize(zeros);
    channel.synthesize(zeros);
    for (std::int16_t s : pcm) EXPECT_EQ(s, 0);
    EXPECT_EQ(channel.output(), pcm.data() + 64);
}

TEST(MpegSynthesis, RoundsTiesToEvenAtFullRateAndTruncatesWithReduction) {
    struct Case {
        double sum;
        int fullRate;
        int reduced;
    };
    const Case cases[] = {
        {0.5, 0, 0},
        {1.5, 2, 1},
        {-1.5, -2, -1},
        {2.5, 2, 2},
        {-0.5, 0, 0},
        {0.4999, 0, 0},
        {1.7, 2, 1},
        {-1.7, -2, -1},
        {32767.4, 32767, 32767},
        {40000.0, 32767, 32767},
        {-32768.6, -32768, -32768},
        {-50000.0, -32768, -32768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sum);
        EXPECT_EQ(pcmSample(c.sum, true), c.fullRate);
        EXPECT_EQ(pcmSample(c.sum, false), c.reduced);
    }
}

TEST(MpegSynthesis, FullScaleSineInSubbandZeroClipsSymmetrically) {
    SynthesisChannel channel;
    std::vector<std::int16_t> pcm(32 * 64);
    channel.setOutput(pcm.data(), 1);
    for (int slot = 0; slot < 64; ++slot) {
        float s[32] = {};
        s[0] = 2.0f * static_cast<float>(std::sin(2 * std::numbers::pi * slot / 32.0));
        channel.synthesize(s);
    }
    const auto [lo, hi] = std::minmax_element(pcm.begin() + 32 * 16, pcm.end());
    EXPECT_EQ(*hi, 32767);
    EXPECT_EQ(*lo, -32768);
}

TEST(MpegSynthesis, RateReductionKeepsEverySecondOrFourthSample) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> dist(-0.1f, 0.1f);
    std::vector<std::array<float, 32>> slots(36);
    for (auto& s : slots) {
        for (float& x : s) x = dist(rng);
    }
    std::vector<std::int16_t> full(36 * 32);
    SynthesisChannel reference;
    reference.setOutput(full.data(), 1);
    for (const auto& s : slots) reference.synthesize(s.data());

    for (int shift : {1, 2}) {
        SCOPED_TRACE(shift);
        SynthesisChannel channel;
        channel.setReduction(shift);
        std::vector<std::int16_t> reduced(36 * 32, 1234);
        channel.setOutput(reduced.data(), 1);
        for (const auto& s : slots) channel.synthesize(s.data());
        const std::size_t written = static_cast<std::size_t>(channel.output() - reduced.data());
        EXPECT_EQ(written, 36u * (32u >> shift));  // 1152 samples become 576 or 288
        for (std::size_t i = 0; i < written; ++i) {
            EXPECT_LE(std::abs(reduced[i] - full[i << shift]), 1) << i;
        }
        channel.silentSlot();
        EXPECT_EQ(channel.output() - reduced.data(), static_cast<long>(written + (32 >> shift)));
    }
}

TEST(MpegSynthesis, TwoChannelsWithStepTwoInterleave) {
    SynthesisChannel left;
    SynthesisChannel right;
    std::vector<std::int16_t> pcm(64 * 4, 7);
    left.setOutput(pcm.data(), 2);
    right.setOutput(pcm.data() + 1, 2);
    for (int slot = 0; slot < 4; ++slot) {
        float l[32] = {};
        float r[32] = {};
        l[0] = 0.5f;
        r[0] = -0.5f;
        left.synthesize(l);
        right.synthesize(r);
    }
    // Opposite inputs give opposite outputs, one after the other.
    for (std::size_t i = 0; i < pcm.size(); i += 2) EXPECT_EQ(pcm[i], -pcm[i + 1]) << i;
    EXPECT_NE(pcm[pcm.size() - 2], 0);
    EXPECT_EQ(left.output(), pcm.data() + 256);
}

TEST(MpegSynthesis, GainsScaleSubbandsAndClearForgetsHistory) {
    float s[32] = {};
    s[1] = 0.25f;
    std::vector<std::int16_t> plain(32 * 8);
    std::vector<std::int16_t> doubled(32 * 8);
    SynthesisChannel a;
    SynthesisChannel b;
    std::array<float, 32> gains;
    gains.fill(2.0f);
    b.setGains(gains);
    a.setOutput(plain.data(), 1);
    b.setOutput(doubled.data(), 1);
    for (int i = 0; i < 8; ++i) {
        a.synthesize(s);
        b.synthesize(s);
    }
    for (std::size_t i = 0; i < plain.size(); ++i)
        EXPECT_LE(std::abs(doubled[i] - 2 * plain[i]), 1);
    EXPECT_EQ(s[1], 0.25f) << "the caller's samples stay as they were";

    a.clear();
    const float zeros[32] = {};
    std::vector<std::int16_t> after(32, 5);
    a.setOutput(after.data(), 1);
    a.synthesize(zeros);
    for (std::int16_t v : after) EXPECT_EQ(v, 0);
}

}  // namespace
}  // namespace velt::mpeg
