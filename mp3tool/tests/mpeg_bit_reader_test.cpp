// Bit reading order, word boundaries, giving bits back and the bounded end.
#include <gtest/gtest.h>

#include <vector>

#include "mpeg/bit_reader.h"

namespace velt::mpeg {
namespace {

TEST(MpegBitReader, ReadsMostSignificantFirstAcrossBytes) {
    const std::vector<std::uint8_t> bytes = {0xA5, 0x3C, 0xF0, 0x0F, 0x12, 0x34, 0x56, 0x78};
    BitReader r(bytes.data(), bytes.size());
    EXPECT_EQ(r.read(1), 1u);
    EXPECT_EQ(r.read(3), 0x2u);
    EXPECT_EQ(r.read(8), 0x53u);    // 0101 + 0011
    EXPECT_EQ(r.read(12), 0xCF0u);  // 1100 + 1111 0000
    EXPECT_EQ(r.position(), 24u);
    EXPECT_EQ(r.read(32), 0x0F123456u);
    EXPECT_EQ(r.read(0), 0u);
    EXPECT_EQ(r.read(8), 0x78u);
    EXPECT_FALSE(r.overrun());
    EXPECT_EQ(r.bitsLeft(), 0u);
}

TEST(MpegBitReader, UnalignedThirtyTwoBitReadsSpanFiveBytes) {
    const std::vector<std::uint8_t> bytes = {0xFF, 0x00, 0xFF, 0x00, 0xFF};
    BitReader r(bytes.data(), bytes.size());
    r.skip(4);
    EXPECT_EQ(r.read(32), 0xF00FF00Fu);
    EXPECT_EQ(r.read(4), 0xFu);
}

TEST(MpegBitReader, GivingBackRereadsTheSameBits) {
    const std::vector<std::uint8_t> bytes = {0x12, 0x34, 0x56};
    BitReader r(bytes.data(), bytes.size());
    r.read(5);
    const std::uint32_t v = r.read(11);
    r.giveBack(11);
    EXPECT_EQ(r.read(11), v);
    r.giveBack(100);
    EXPECT_EQ(r.position(), 0u);
    EXPECT_EQ(r.read(8), 0x12u);
}

TEST(MpegBitReader, ReadsPastTheEndGiveZerosAndFlagAnOverrun) {
    const std::vector<std::uint8_t> bytes = {0xFF, 0xFF};
    BitReader r(bytes.data(), bytes.size());
    EXPECT_EQ(r.read(12), 0xFFFu);
    EXPECT_FALSE(r.overrun());
    EXPECT_EQ(r.read(8), 0xF0u);  // 4 real bits, 4 zeros
    EXPECT_TRUE(r.overrun());
    EXPECT_EQ(r.read(16), 0u);
    r.reset(bytes.data(), bytes.size());
    EXPECT_FALSE(r.overrun());
    r.setPosition(17);
    EXPECT_TRUE(r.overrun());

    BitReader empty;
    EXPECT_EQ(empty.read(32), 0u);
    EXPECT_TRUE(empty.overrun());
}

}  // namespace
}  // namespace velt::mpeg
