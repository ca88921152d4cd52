// Structure of the Layer I and II tables: scale factors, quantisation classes against the
// standard's formulas, allocation table widths, limits and rows, and the table choice.
#include <gtest/gtest.h>

#include <cmath>

#include "mpeg/frame_header.h"
#include "mpeg/layer12_tables.h"
#include "mpeg/layer2.h"

namespace velt::mpeg {
namespace {

TEST(MpegLayer12Tables, ScaleFactorsFallByTheCubeRootOfTwo) {
    EXPECT_FLOAT_EQ(scaleFactor(0), 2.0f);
    EXPECT_FLOAT_EQ(scaleFactor(1), 1.58740105196820f);
    EXPECT_FLOAT_EQ(scaleFactor(3), 1.0f);
    EXPECT_FLOAT_EQ(scaleFactor(62), 0.00000120155435f);
    for (int i = 1; i < 63; ++i)
        EXPECT_NEAR(scaleFactor(i) / scaleFactor(i - 1), 0.793700526, 1e-6);
    EXPECT_EQ(scaleFactor(63), 0.0f);
    EXPECT_EQ(scaleFactor(-1), 0.0f);
    EXPECT_EQ(scaleFactor(64), 0.0f);
}

TEST(MpegLayer12Tables, QuantisationClassesFollowTheStandardsFormulas) {
    std::uint32_t previous = 0;
    for (const QuantClass& q : kQuantClasses) {
        SCOPED_TRACE(q.levels);
        EXPECT_GT(q.levels, previous);
        previous = q.levels;
        // Sample bits: enough for the steps; grouped code words hold levels^3 values.
        EXPECT_GE(1u << q.sampleBits, q.levels + 1);
        EXPECT_LT(1u << (q.sampleBits - 1), q.levels + 1);
        if (q.grouped) {
            EXPECT_GE(1u << q.codeBits, q.levels * q.levels * q.levels);
            EXPECT_LT(1u << (q.codeBits - 1), q.levels * q.levels * q.levels);
        } else {
            EXPECT_EQ(q.codeBits, q.sampleBits);
        }
        // C = 2^nb / steps and D = 1 - (steps - 1) / 2^nb place the steps symmetrically.
        const double full = std::exp2(q.sampleBits);
        EXPECT_NEAR(q.c, full / q.levels, 1e-7);  // single precision
        EXPECT_NEAR(q.d, 1.0 - (q.levels - 1) / full, 1e-9);
    }
    EXPECT_EQ(kQuantClasses.front().levels, 3u);
    EXPECT_EQ(kQuantClasses.back().levels, 65535u);
    int grouped = 0;
    for (const QuantClass& q : kQuantClasses) grouped += q.grouped ? 1 : 0;
    EXPECT_EQ(grouped, 3);  // 3, 5 and 9 steps
}

TEST(MpegLayer12Tables, AllocationTablesHaveTheStandardsWidthsAndLimits) {
    struct Case {
        const char* name;
        AllocationTableId id;
        int limit;
        int totalBits;  // sum of the allocation field widths
        int sixteenBitSubbands;
    };
    const Case cases[] = {
        {"3-B.2a", AllocationTableId::A, 27, 3 * 4 + 8 * 4 + 12 * 3 + 4 * 2, 27},
        {"3-B.2b", AllocationTableId::B, 30, 3 * 4 + 8 * 4 + 12 * 3 + 7 * 2, 30},
        {"3-B.2c", AllocationTableId::C, 8, 2 * 4 + 6 * 3, 0},
        {"3-B.2d", AllocationTableId::D, 12, 2 * 4 + 10 * 3, 0},
        {"13818-3 B.1", AllocationTableId::LowSamplingRate, 30, 4 * 4 + 7 * 3 + 19 * 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AllocationTable& t = allocationTable(c.id);
        EXPECT_EQ(t.subbandLimit, c.limit);
        int bits = 0;
        int sixteen = 0;
        for (int sb = 0; sb < 32; ++sb) {
            if (sb >= t.subbandLimit) {
                EXPECT_EQ(t.allocationBits[sb], 0);
                continue;
            }
            bits += t.allocationBits[sb];
            ASSERT_NE(t.classes[sb], nullptr);
            // Every allocation value names a class; steps rise with the value; widths never
            // grow towards the high subbands.
            const int values = (1 << t.allocationBits[sb]) - 1;
            for (int v = 0; v < values; ++v) {
                ASSERT_LT(t.classes[sb][v], kQuantClassCount);
                if (v > 0) {
                    EXPECT_GT(t.classes[sb][v], t.classes[sb][v - 1]);
                }
            }
            if (kQuantClasses[t.classes[sb][values - 1]].levels == 65535) ++sixteen;
            if (sb > 0) {
                EXPECT_LE(t.allocationBits[sb], t.allocationBits[sb - 1]);
            }
        }
        EXPECT_EQ(bits, c.totalBits);
        EXPECT_EQ(sixteen, c.sixteenBitSubbands);
    }
}

TEST(MpegLayer12Tables, Mpeg1TableChoiceByRateAndBitratePerChannel) {
    struct Case {
        const char* name;
        int samplingIndex;
        int bitrateIndex;
        int mode;
        int limit;
    };
    const Case cases[] = {
        {"44.1k stereo 64k = 32k per channel", 0, 4, kStereo, 8},
        {"48k stereo 64k", 1, 4, kStereo, 8},
        {"32k stereo 64k", 2, 4, kStereo, 12},
        {"32k mono 48k", 2, 2, kSingleChannel, 12},
        {"44.1k mono 56k", 0, 3, kSingleChannel, 27},
        {"44.1k stereo 160k = 80k per channel", 0, 9, kStereo, 27},
        {"44.1k stereo 192k = 96k per channel", 0, 10, kStereo, 30},
        {"48k stereo 384k", 1, 14, kJointStereo, 27},
        {"32k mono 192k", 2, 10, kSingleChannel, 30},
        {"44.1k mono 80k", 0, 5, kSingleChannel, 27},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FrameHeader h;
        h.version = Version::Mpeg1;
        h.layer = 2;
        h.samplingIndex = c.samplingIndex;
        h.bitrateIndex = c.bitrateIndex;
        h.mode = c.mode;
        EXPECT_EQ(layer2Table(h).subbandLimit, c.limit);
    }
    FrameHeader lsf;
    lsf.version = Version::Mpeg2;
    lsf.layer = 2;
    lsf.bitrateIndex = 1;
    EXPECT_EQ(layer2Table(lsf).subbandLimit, 30);
}

TEST(MpegLayer12Tables, DegroupingSplitsCodesAndRefusesCodesOutOfRange) {
    std::uint32_t v[3];
    ASSERT_TRUE(degroup(0, 3, v));
    EXPECT_EQ(v[0] + v[1] + v[2], 0u);
    ASSERT_TRUE(degroup(26, 3, v));  // the last code of 3 steps: 2, 2, 2
    EXPECT_EQ(v[0], 2u);
    EXPECT_EQ(v[1], 2u);
    EXPECT_EQ(v[2], 2u);
    ASSERT_TRUE(degroup(1 + 2 * 5 + 3 * 25, 5, v));
    EXPECT_EQ(v[0], 1u);
    EXPECT_EQ(v[1], 2u);
    EXPECT_EQ(v[2], 3u);
    EXPECT_FALSE(degroup(27, 3, v));   // 5-bit codes reach 31
    EXPECT_FALSE(degroup(125, 5, v));  // 7-bit codes reach 127
    EXPECT_FALSE(degroup(729, 9, v));  // 10-bit codes reach 1023
    EXPECT_TRUE(degroup(728, 9, v));
}

}  // namespace
}  // namespace velt::mpeg
