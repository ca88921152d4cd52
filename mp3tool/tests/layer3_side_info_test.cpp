// Layer III side information, scale factors, Huffman decoding limits and the bit reservoir,
// from crafted fields.
#include <gtest/gtest.h>

#include <string>

#include "layer3_bit_writer.h"
#include "layer3_stream_decoder.h"
#include "mpeg/layer3/huffman_decoder.h"
#include "mpeg/layer3/scale_factors.h"
#include "mpeg/layer3/side_info.h"

namespace velt::mpeg::layer3 {
namespace {

using test::BitWriter;

// One granule-channel block of side information, MPEG-1 layout unless `lsf`.
struct Fields {
    int part23 = 0;
    int bigValues = 0;
    int globalGain = 210;
    int scalefacCompress = 0;
    bool windowSwitching = false;
    int blockType = 0;
    bool mixed = false;
    int tables[3] = {1, 1, 1};
    int subblockGain[3] = {0, 0, 0};
    int region0 = 0;
    int region1 = 0;
    bool preflag = false;
    int scalefacScale = 0;
    int count1Table = 0;
};

void putGranule(BitWriter& w, const Fields& f, bool lsf) {
    w.put(static_cast<uint32_t>(f.part23), 12).put(static_cast<uint32_t>(f.bigValues), 9);
    w.put(static_cast<uint32_t>(f.globalGain), 8)
        .put(static_cast<uint32_t>(f.scalefacCompress), lsf ? 9 : 4);
    w.put(f.windowSwitching, 1);
    if (f.windowSwitching) {
        w.put(static_cast<uint32_t>(f.blockType), 2).put(f.mixed, 1);
        for (int r = 0; r < 2; ++r) w.put(static_cast<uint32_t>(f.tables[r]), 5);
        for (int g : f.subblockGain) w.put(static_cast<uint32_t>(g), 3);
    } else {
        for (int t : f.tables) w.put(static_cast<uint32_t>(t), 5);
        w.put(static_cast<uint32_t>(f.region0), 4).put(static_cast<uint32_t>(f.region1), 3);
    }
    if (!lsf) w.put(f.preflag, 1);
    w.put(static_cast<uint32_t>(f.scalefacScale), 1).put(static_cast<uint32_t>(f.count1Table), 1);
}

FrameFormat mono(int versionCode = 1, int samplingIndex = 0) {
    FrameFormat format;
    format.versionCode = versionCode;
    format.samplingIndex = samplingIndex;
    format.mode = 3;
    return format;
}

// MPEG-1 mono side information (17 bytes) with both granules as given.
std::vector<uint8_t> mpeg1MonoSideInfo(int mainDataBegin, const Fields& g0, const Fields& g1,
                                       int scfsi = 0) {
    BitWriter w;
    w.put(static_cast<uint32_t>(mainDataBegin), 9).put(0, 5).put(static_cast<uint32_t>(scfsi), 4);
    putGranule(w, g0, false);
    putGranule(w, g1, false);
    return w.bytes(17);
}

TEST(Layer3SideInfo, FieldsOfAStereoMpeg1Frame) {
    BitWriter w;
    w.put(300, 9).put(5, 3).put(0b1010, 4).put(0b0101, 4);
    Fields a;
    a.part23 = 1234;
    a.bigValues = 100;
    a.globalGain = 170;
    a.scalefacCompress = 9;
    a.tables[0] = 15;
    a.tables[1] = 24;
    a.tables[2] = 13;
    a.region0 = 7;
    a.region1 = 3;
    a.preflag = true;
    a.scalefacScale = 1;
    a.count1Table = 1;
    Fields b;
    b.part23 = 60;
    b.windowSwitching = true;
    b.blockType = 2;
    b.mixed = true;
    b.subblockGain[0] = 1;
    b.subblockGain[1] = 2;
    b.subblockGain[2] = 7;
    putGranule(w, a, false);
    putGranule(w, b, false);
    putGranule(w, b, false);
    putGranule(w, a, false);
    FrameFormat format;  // MPEG-1 44.1 kHz stereo
    SideInfo info;
    ASSERT_TRUE(parseSideInfo(w.bytes(32), format, info));
    EXPECT_EQ(info.mainDataBegin, 300);
    EXPECT_EQ(info.privateBits, 5);
    EXPECT_EQ(info.scfsi[0], (std::array<bool, 4>{true, false, true, false}));
    EXPECT_EQ(info.scfsi[1], (std::array<bool, 4>{false, true, false, true}));
    const GranuleChannel& ga = info.granule[0][0];
    EXPECT_EQ(ga.part23Length, 1234);
    EXPECT_EQ(ga.bigValues, 100);
    EXPECT_EQ(ga.globalGain, 170);
    EXPECT_EQ(ga.scalefacCompress, 9);
    EXPECT_EQ(ga.tableSelect, (std::array<int, 3>{15, 24, 13}));
    EXPECT_EQ(ga.region1Start, 36);  // band 8 at 44.1 kHz
    EXPECT_EQ(ga.region2Start, 74);  // band 12
    EXPECT_TRUE(ga.preflag);
    EXPECT_EQ(ga.scalefacScale, 1);
    EXPECT_EQ(ga.count1TableSelect, 1);
    const GranuleChannel& gb = info.granule[0][1];
    EXPECT_TRUE(gb.windowSwitching);
    EXPECT_EQ(gb.blockType, 2);
    EXPECT_TRUE(gb.mixedBlock);
    EXPECT_EQ(gb.subblockGain, (std::array<int, 3>{1, 2, 7}));
    EXPECT_EQ(info.granule[1][1].part23Length, 1234);
    EXPECT_EQ(info.part23Sum, 2 * (1234 + 60));
}

TEST(Layer3SideInfo, ImpossibleFieldsAreRefused) {
    struct Case {
        const char* name;
        Fields fields;
        bool valid;
    };
    Fields bigValues289;
    bigValues289.bigValues = 289;
    Fields bigValues288;
    bigValues288.bigValues = 288;
    Fields switchingType0;
    switchingType0.windowSwitching = true;
    Fields table4WithLines;
    table4WithLines.bigValues = 4;
    table4WithLines.tables[0] = 4;
    Fields table14InRegion2;
    table14InRegion2.bigValues = 200;  // 400 lines: reaches region 2 (from line 4 up)
    table14InRegion2.tables[2] = 14;
    Fields table4Unused;  // region 2 holds no lines
    table4Unused.bigValues = 1;
    table4Unused.region0 = 3;
    table4Unused.tables[2] = 4;
    const Case cases[] = {
        {"big_values 289", bigValues289, false},
        {"big_values 288", bigValues288, true},
        {"window switching with block type 0", switchingType0, false},
        {"table 4 in a region with lines", table4WithLines, false},
        {"table 14 in region 2 with lines", table14InRegion2, false},
        {"table 4 in an empty region", table4Unused, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SideInfo info;
        EXPECT_EQ(parseSideInfo(mpeg1MonoSideInfo(0, Fields{}, c.fields), mono(), info), c.valid);
    }
}

TEST(Layer3SideInfo, RegionStartsWithWindowSwitching) {
    struct Case {
        const char* name;
        int versionCode;
        int samplingIndex;
        int blockType;
        bool mixed;
        int region1Start;
    };
    const Case cases[] = {
        {"MPEG-1 start block", 1, 0, 1, false, 36}, {"MPEG-1 short", 1, 1, 2, false, 36},
        {"MPEG-1 mixed", 1, 2, 2, true, 36},        {"22.05 kHz stop block", 0, 0, 3, false, 54},
        {"22.05 kHz short", 0, 0, 2, false, 36},    {"22.05 kHz mixed", 0, 0, 2, true, 36},
        {"16 kHz start block", 0, 2, 1, false, 54}, {"11.025 kHz short", 2, 0, 2, false, 36},
        {"11.025 kHz mixed", 2, 0, 2, true, 54},    {"8 kHz start block", 2, 2, 1, false, 108},
        {"8 kHz short", 2, 2, 2, false, 72},        {"8 kHz mixed", 2, 2, 2, true, 108},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fields f;
        f.windowSwitching = true;
        f.blockType = c.blockType;
        f.mixed = c.mixed;
        BitWriter w;
        w.put(0, 8).put(0, 1);
        putGranule(w, f, true);
        FrameFormat format = mono(c.versionCode, c.samplingIndex);
        SideInfo info;
        if (c.versionCode == 1) {
            ASSERT_TRUE(parseSideInfo(mpeg1MonoSideInfo(0, f, f), format, info));
        } else {
            ASSERT_TRUE(parseSideInfo(w.bytes(9), format, info));
        }
        EXPECT_EQ(info.granule[0][0].region1Start, c.region1Start);
        EXPECT_EQ(info.granule[0][0].region2Start, 576);
    }
    // Without window switching region 2 starts at 576 when its band index passes the table.
    Fields f;
    f.region0 = 15;
    f.region1 = 7;
    SideInfo info;
    ASSERT_TRUE(parseSideInfo(mpeg1MonoSideInfo(0, f, f), mono(), info));
    EXPECT_EQ(info.granule[0][0].region1Start, 162);  // band 16
    EXPECT_EQ(info.granule[0][0].region2Start, 576);
}

TEST(Layer3ScaleFactors, GranuleOneReusesGroupsNamedByScfsi) {
    GranuleChannel gc;
    gc.scalefacCompress = 15;  // slen1 4, slen2 3
    ScaleFactors sf;
    BitWriter w;
    for (int b = 0; b < 11; ++b) w.put(static_cast<uint32_t>(b), 4);
    for (int b = 11; b < 21; ++b) w.put(static_cast<uint32_t>(b % 8), 3);
    const std::vector<uint8_t> first = w.bytes(16);
    MainDataBits bits0(first);
    EXPECT_EQ(readScaleFactorsMpeg1(bits0, gc, {false, false, false, false}, 0, sf),
              11 * 4 + 10 * 3);
    EXPECT_EQ(sf.longBand[10], 10);
    EXPECT_EQ(sf.longBand[20], 4);

    const std::vector<uint8_t> none(16, 0xff);
    MainDataBits bits1(none);
    EXPECT_EQ(readScaleFactorsMpeg1(bits1, gc, {true, true, true, true}, 1, sf), 0);
    for (int b = 0; b < 11; ++b) EXPECT_EQ(sf.longBand[static_cast<size_t>(b)], b);

    // Only the second group read again: five bands of four bits, all ones.
    MainDataBits bits2(none);
    EXPECT_EQ(readScaleFactorsMpeg1(bits2, gc, {true, false, true, true}, 1, sf), 5 * 4);
    EXPECT_EQ(sf.longBand[5], 5);
    EXPECT_EQ(sf.longBand[6], 15);
    EXPECT_EQ(sf.longBand[10], 15);
    EXPECT_EQ(sf.longBand[11], 3);
}

TEST(Layer3Huffman, BigValuesStopAtTheGranuleEnd) {
    // Table 1: (1,1) is 000 followed by two sign bits; three pairs coded, two bits short.
    GranuleChannel gc;
    gc.bigValues = 3;
    gc.tableSelect = {1, 1, 1};
    gc.region1Start = 576;
    gc.region2Start = 576;
    BitWriter w;
    for (int i = 0; i < 3; ++i) w.put(0b000, 3).put(0b01, 2);  // (1, -1)
    const std::vector<uint8_t> bytes = w.bytes(8);
    std::array<int, kGranuleLines> values{};
    MainDataBits bits(bytes);
    EXPECT_EQ(decodeSpectrum(bits, gc, 13, values), 4);  // the third pair would end at 15
    EXPECT_EQ(values[0], 1);
    EXPECT_EQ(values[1], -1);
    EXPECT_EQ(values[3], -1);
    EXPECT_EQ(values[4], 0);
    EXPECT_EQ(values[5], 0);
}

TEST(Layer3Huffman, Count1QuadruplesEndAtTheGranuleEnd) {
    GranuleChannel gc;  // no big values; count1 table B: four bits, inverted, then signs
    gc.count1TableSelect = 1;
    BitWriter w;
    w.put(0b0111, 4).put(1, 1);       // 1000: v = -1
    w.put(0b1110, 4).put(0, 1);       // 0001: y = +1
    w.put(0b0000, 4).put(0b1010, 4);  // 1111 with signs: would end at 18
    const std::vector<uint8_t> bytes = w.bytes(8);
    std::array<int, kGranuleLines> values{};
    MainDataBits bits(bytes);
    EXPECT_EQ(decodeSpectrum(bits, gc, 14, values), 8);
    EXPECT_EQ(values[0], -1);
    EXPECT_EQ(values[7], 1);
    for (int i = 8; i < 12; ++i) EXPECT_EQ(values[static_cast<size_t>(i)], 0);
}

// A whole MPEG-1 Layer III frame: 44.1 kHz, 128 kbit/s, single channel, no CRC; 417 bytes of
// which 396 are main data, filled with `fill`.
constexpr uint32_t kMonoHeader = 0xFFFB90C0;
constexpr size_t kMonoMainBytes = 417 - 4 - 17;

std::vector<uint8_t> monoFrame(int mainDataBegin, const Fields& g0, const Fields& g1,
                               uint8_t fill) {
    std::vector<uint8_t> frame = {0xFF, 0xFB, 0x90, 0xC0};
    const std::vector<uint8_t> side = mpeg1MonoSideInfo(mainDataBegin, g0, g1);
    frame.insert(frame.end(), side.begin(), side.end());
    frame.resize(frame.size() + kMonoMainBytes, fill);
    return frame;
}

void append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

bool silent(const std::vector<int16_t>& samples, size_t from, size_t count) {
    for (size_t i = from; i < from + count && i < samples.size(); ++i)
        if (samples[i] != 0) return false;
    return true;
}

// Big values over the whole granule with table 1, whose all-zero code word is the pair (1, 1):
// main data of zero bits decodes loud.
Fields loud(int part23) {
    Fields f;
    f.part23 = part23;
    f.bigValues = 288;
    f.globalGain = 200;
    f.region0 = 15;
    f.region1 = 7;
    return f;
}

TEST(Layer3Reservoir, FirstFramePointingBackDecodesToSilence) {
    std::vector<uint8_t> stream = monoFrame(511, loud(1000), loud(1000), 0);
    append(stream, monoFrame(0, loud(1000), loud(1000), 0));
    const test::DecodedStream decoded = test::decodeLayer3Stream(stream);
    ASSERT_EQ(decoded.frames, 2);
    EXPECT_EQ(decoded.refused, 0);
    EXPECT_TRUE(silent(decoded.samples, 0, 1152));
    EXPECT_FALSE(silent(decoded.samples, 1152, 1152));
}

TEST(Layer3Reservoir, MoreBitsThanReservoirAndFrameHoldDropTheFrame) {
    // 4095 + 0 bits need 512 bytes; the stream holds 396 before this frame's end.
    std::vector<uint8_t> stream = monoFrame(0, loud(4095), Fields{}, 0);
    append(stream, monoFrame(0, Fields{}, Fields{}, 0));
    const test::DecodedStream decoded = test::decodeLayer3Stream(stream);
    EXPECT_EQ(decoded.refused, 1);
    EXPECT_EQ(decoded.frames, 1);
}

TEST(Layer3Reservoir, LossOfSyncForgetsTheReservoir) {
    const std::vector<uint8_t> pointsBack = monoFrame(300, loud(1200), loud(1200), 0xff);
    std::vector<uint8_t> stream = monoFrame(0, Fields{}, Fields{}, 0);
    append(stream, pointsBack);                      // reaches into the first frame's zeros: loud
    append(stream, std::vector<uint8_t>(37, 0x00));  // junk: sync lost
    append(stream, pointsBack);  // would reach into bytes before the junk: silent
    append(stream, monoFrame(0, Fields{}, Fields{}, 0));
    const test::DecodedStream decoded = test::decodeLayer3Stream(stream);
    ASSERT_EQ(decoded.frames, 4);
    EXPECT_TRUE(silent(decoded.samples, 0, 1152));
    EXPECT_FALSE(silent(decoded.samples, 1152, 1152));
    EXPECT_TRUE(silent(decoded.samples, 2 * 1152, 1152));
}

TEST(Layer3Reservoir, ScaleFactorsBeyondTheGranuleGiveSilence) {
    Fields overrun = loud(40);  // long-block scale factors of compress 15 need 74 bits
    overrun.scalefacCompress = 15;
    Fields fits = loud(200);
    fits.scalefacCompress = 15;
    std::vector<uint8_t> stream = monoFrame(0, overrun, overrun, 0);
    append(stream, monoFrame(0, fits, fits, 0));
    const test::DecodedStream decoded = test::decodeLayer3Stream(stream);
    ASSERT_EQ(decoded.frames, 2);
    EXPECT_TRUE(silent(decoded.samples, 0, 1152));
    EXPECT_FALSE(silent(decoded.samples, 1152, 1152));
}

TEST(Layer3Reservoir, GranuleWithoutBitsIsSilent) {
    std::vector<uint8_t> stream = monoFrame(0, Fields{}, Fields{}, 0xff);
    const test::DecodedStream decoded = test::decodeLayer3Stream(stream);
    ASSERT_EQ(decoded.frames, 1);
    EXPECT_TRUE(silent(decoded.samples, 0, 1152));
}

}  // namespace
}  // namespace velt::mpeg::layer3
