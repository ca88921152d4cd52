// Layer III tables checked structurally: every Huffman code prefix-free and complete and
// decoding back to its own value, the scale-factor bands rising to 576 and 192, the x^(4/3)
// table covering every Huffman magnitude, the LSF scale-factor layouts for every
// scalefac_compress value, and the antialias coefficients.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "mpeg/layer3/band_tables.h"
#include "mpeg/layer3/huffman_decoder.h"
#include "mpeg/layer3/huffman_tables.h"
#include "mpeg/layer3/hybrid_filterbank.h"
#include "mpeg/layer3/requantise.h"
#include "mpeg/layer3/scale_factor_tables.h"

namespace velt::mpeg::layer3 {
namespace {

std::vector<uint8_t> packBits(uint32_t code, int length) {
    std::vector<uint8_t> bytes(4, 0);
    for (int i = 0; i < length; ++i) {
        if ((code >> (length - 1 - i)) & 1u)
            bytes[static_cast<size_t>(i / 8)] |= static_cast<uint8_t>(0x80 >> (i % 8));
    }
    return bytes;
}

void checkCode(const std::string& name, const HuffmanCode& code) {
    SCOPED_TRACE(name);
    const size_t count = static_cast<size_t>(code.size * code.size);
    ASSERT_EQ(code.codes.size(), count);
    ASSERT_EQ(code.lengths.size(), count);
    double kraft = 0.0;
    for (size_t value = 0; value < count; ++value) {
        const int length = code.lengths[value];
        ASSERT_GE(length, 1);
        ASSERT_LE(length, 19);
        ASSERT_LT(code.codes[value], 1u << length) << "value " << value;
        kraft += std::ldexp(1.0, -length);
        // No code word is a prefix of another.
        for (size_t other = 0; other < count; ++other) {
            if (other == value || code.lengths[other] < length) continue;
            const uint32_t head = code.codes[other] >> (code.lengths[other] - length);
            EXPECT_NE(head, code.codes[value]) << "value " << value << " prefixes " << other;
        }
        // Decoding the code word gives the value back and consumes exactly its bits.
        const std::vector<uint8_t> bytes = packBits(code.codes[value], length);
        MainDataBits bits(bytes);
        EXPECT_EQ(decodeHuffmanValue(bits, code), static_cast<int>(value));
        EXPECT_EQ(bits.position(), static_cast<size_t>(length));
    }
    EXPECT_DOUBLE_EQ(kraft, 1.0) << "the code is not complete";
}

TEST(Layer3Tables, HuffmanCodesArePrefixFreeCompleteAndDecodeBack) {
    for (int t = 0; t < kBigValuesTableCount; ++t) {
        const BigValuesTable& table = bigValuesTable(t);
        if (table.code) checkCode("table " + std::to_string(t), *table.code);
    }
    checkCode("count1 A", count1Code(0));
    checkCode("count1 B", count1Code(1));
}

TEST(Layer3Tables, BigValuesTableHeadings) {
    struct Row {
        int table;
        bool exists;
        int size;
        int linbits;
    };
    const Row rows[] = {
        {0, true, 0, 0},    {1, true, 2, 0},    {2, true, 3, 0},   {3, true, 3, 0},
        {4, false, 0, 0},   {5, true, 4, 0},    {6, true, 4, 0},   {7, true, 6, 0},
        {9, true, 6, 0},    {10, true, 8, 0},   {12, true, 8, 0},  {13, true, 16, 0},
        {14, false, 0, 0},  {15, true, 16, 0},  {16, true, 16, 1}, {19, true, 16, 4},
        {20, true, 16, 6},  {23, true, 16, 13}, {24, true, 16, 4}, {27, true, 16, 7},
        {30, true, 16, 11}, {31, true, 16, 13}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.table);
        const BigValuesTable& table = bigValuesTable(row.table);
        EXPECT_EQ(table.exists, row.exists);
        EXPECT_EQ(table.code ? table.code->size : 0, row.size);
        EXPECT_EQ(table.linbits, row.linbits);
    }
    EXPECT_EQ(bigValuesTable(17).code, bigValuesTable(16).code);
    EXPECT_EQ(bigValuesTable(31).code, bigValuesTable(24).code);
}

TEST(Layer3Tables, ScaleFactorBandsRiseToTheirEnds) {
    for (int rate = 0; rate < kRateCount; ++rate) {
        SCOPED_TRACE(rate);
        const BandTable& bands = bandTable(rate);
        EXPECT_EQ(bands.longStart.front(), 0);
        EXPECT_EQ(bands.longStart.back(), 576);
        EXPECT_EQ(bands.shortStart.front(), 0);
        EXPECT_EQ(bands.shortStart.back(), 192);
        for (size_t b = 1; b < bands.longStart.size(); ++b) {
            EXPECT_GT(bands.longStart[b], bands.longStart[b - 1]);
            EXPECT_EQ(bands.longStart[b] % 2, 0) << "long bands hold whole pairs";
        }
        for (size_t b = 1; b < bands.shortStart.size(); ++b)
            EXPECT_GT(bands.shortStart[b], bands.shortStart[b - 1]);
    }
    // Rate numbering by version code and sampling index.
    EXPECT_EQ(rateIndex(1, 0), 0);
    EXPECT_EQ(rateIndex(0, 2), 5);
    EXPECT_EQ(rateIndex(2, 2), 8);
    EXPECT_EQ(bandTable(rateIndex(1, 0)).longStart[8], 36);
    EXPECT_EQ(bandTable(rateIndex(2, 2)).longStart[8], 108);
}

TEST(Layer3Tables, PowerFourThirdsCoversEveryMagnitude) {
    EXPECT_EQ(kPow43Size, 15 + (1 << 13));
    for (int n : {0, 1, 2, 15, 16, 100, 1000, 8191, 8206}) {
        SCOPED_TRACE(n);
        const double expected = std::pow(static_cast<double>(n), 4.0 / 3.0);
        EXPECT_NEAR(pow43(n), expected, expected * 1e-6);
    }
    EXPECT_EQ(pow43(-1), 0.0f);
    EXPECT_EQ(pow43(8207), 0.0f);
}

TEST(Layer3Tables, EveryLsfScalefacCompressSelectsAFittingLayout) {
    for (bool intensityRight : {false, true}) {
        for (int sfc = 0; sfc < 512; ++sfc) {
            SCOPED_TRACE(std::to_string(sfc) + (intensityRight ? " intensity" : ""));
            const LsfScaleFactorLayout layout = lsfScaleFactorLayout(sfc, intensityRight);
            ASSERT_GE(layout.table, intensityRight ? 3 : 0);
            ASSERT_LE(layout.table, intensityRight ? 5 : 2);
            for (int slen : layout.slen) {
                EXPECT_GE(slen, 0);
                EXPECT_LE(slen, 5);
            }
            EXPECT_EQ(layout.preflag, !intensityRight && sfc >= 500);
        }
    }
    // Worked values of the standard's rule.
    const LsfScaleFactorLayout a = lsfScaleFactorLayout(399, false);  // 24 / 5, 24 % 5, 3, 3
    EXPECT_EQ(a.table, 0);
    EXPECT_EQ(a.slen, (std::array<int, 4>{4, 4, 3, 3}));
    const LsfScaleFactorLayout b = lsfScaleFactorLayout(499, false);  // 99: 24 / 5, 24 % 5, 3
    EXPECT_EQ(b.table, 1);
    EXPECT_EQ(b.slen, (std::array<int, 4>{4, 4, 3, 0}));
    const LsfScaleFactorLayout c = lsfScaleFactorLayout(511, false);  // 11: 3, 2
    EXPECT_EQ(c.table, 2);
    EXPECT_EQ(c.slen, (std::array<int, 4>{3, 2, 0, 0}));
    const LsfScaleFactorLayout d = lsfScaleFactorLayout(511, true);  // 255 - 244 = 11: 3, 2
    EXPECT_EQ(d.table, 5);
    EXPECT_EQ(d.slen, (std::array<int, 4>{3, 2, 0, 0}));
    const LsfScaleFactorLayout e = lsfScaleFactorLayout(2 * 179, true);  // 4, 35 / 6, 35 % 6
    EXPECT_EQ(e.table, 3);
    EXPECT_EQ(e.slen, (std::array<int, 4>{4, 5, 5, 0}));
}

TEST(Layer3Tables, LsfPartitionsCoverTheCodedBands) {
    for (int table = 0; table < 6; ++table) {
        SCOPED_TRACE(table);
        const auto& row = kLsfBandsPerPartition[table];
        int longBands = 0, shortValues = 0, mixedValues = 0;
        for (int p = 0; p < 4; ++p) {
            longBands += row[kLongBlock][p];
            shortValues += row[kShortBlock][p];
            mixedValues += row[kMixedBlock][p];
        }
        EXPECT_EQ(longBands, 21);
        EXPECT_EQ(shortValues, 36);      // 12 bands x 3 windows
        EXPECT_EQ(mixedValues, 6 + 27);  // 6 long bands, then short bands 3..11
    }
}

TEST(Layer3Tables, AntialiasCoefficients) {
    const double cs[8] = {0.857492926, 0.881741997, 0.949628649, 0.983314592,
                          0.995517816, 0.999160558, 0.999899195, 0.999993155};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(antialiasCs(i), cs[i], 1e-7);
        EXPECT_NEAR(antialiasCa(i), kAntialiasC[static_cast<size_t>(i)] * cs[i], 1e-7);
        EXPECT_LT(antialiasCa(i), 0.0);
    }
}

}  // namespace
}  // namespace velt::mpeg::layer3
