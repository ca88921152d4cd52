// Layer III side information, scale factors, Huffman decoding limits and the bit reservoir,
// from crafted fields.
#include <gtest/gtest.h>

#include <string>

#include "layer3_bit_writer.h"
#include "mpeg/layer3/huffman_decoder.h"
#include "mpeg/layer3/layer3_decoder.h"
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
        int region1Start;
    };
    const Case cases[] = {
        {"MPEG-1 start block", 1, 0, 1, 36},   {"MPEG-1 short", 1, 1, 2, 36},
        {"22.05 kHz stop block", 0, 0, 3, 54}, {"22.05 kHz short", 0, 0, 2, 36},
        {"16 kHz start block", 0, 2, 1, 54},   {"8 kHz start block", 2, 2, 1, 108},
        {"8 kHz short", 2, 2, 2, 72},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fields f;
        f.windowSwitching = true;
        f.blockType = c.blockType;
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

bool allZero(const Layer3Output& out) {
    for (int gr = 0; gr < out.granules; ++gr)
        for (int ch = 0; ch < out.channels; ++ch)
            for (const auto& slot : out.slots[static_cast<size_t>(gr)][static_cast<size_t>(ch)])
                for (float v : slot)
                    if (v != 0.0f) return false;
    return true;
}

std::vector<uint8_t> frameBody(std::vector<uint8_t> side, size_t mainBytes, uint8_t fill) {
    side.resize(side.size() + mainBytes, fill);
    return side;
}

TEST(Layer3Reservoir, BackPointerIntoMissingDataGivesSilence) {
    Layer3Decoder decoder;
    Layer3Output out;
    const std::vector<uint8_t> body =
        frameBody(mpeg1MonoSideInfo(511, Fields{}, Fields{}), 400, 0x55);
    EXPECT_EQ(decoder.decodeFrame(mono(), body, 32, out), Layer3Status::Silent);
    EXPECT_EQ(out.granules, 2);
    EXPECT_TRUE(allZero(out));
}

TEST(Layer3Reservoir, MoreBitsThanReservoirAndFrameHoldDropTheFrame) {
    Layer3Decoder decoder;
    Layer3Output out;
    Fields huge;
    huge.part23 = 4095;
    const std::vector<uint8_t> body = frameBody(mpeg1MonoSideInfo(0, huge, Fields{}), 400, 0x55);
    EXPECT_EQ(decoder.decodeFrame(mono(), body, 32, out), Layer3Status::Damaged);
    EXPECT_EQ(out.granules, 0);
}

TEST(Layer3Reservoir, BackPointerReachesThePreviousFrameUntilReset) {
    Layer3Decoder decoder;
    Layer3Output out;
    // Frame 1 holds 100 bytes of main data it does not use.
    const std::vector<uint8_t> first =
        frameBody(mpeg1MonoSideInfo(0, Fields{}, Fields{}), 100, 0x00);
    EXPECT_EQ(decoder.decodeFrame(mono(), first, 32, out), Layer3Status::Decoded);
    EXPECT_TRUE(allZero(out));
    // Frame 2 points 100 bytes back: big values coded with table 1 there.
    Fields loud;
    loud.part23 = 5 * 20;
    loud.bigValues = 20;
    loud.globalGain = 250;
    loud.region0 = 15;
    loud.region1 = 7;
    const std::vector<uint8_t> side = mpeg1MonoSideInfo(100, loud, Fields{});
    // Zero bits in table 1 are the pair (1, 1) with plus signs: the output is not silent.
    EXPECT_EQ(decoder.decodeFrame(mono(), frameBody(side, 10, 0xff), 32, out),
              Layer3Status::Decoded);
    EXPECT_FALSE(allZero(out));
    // After a reset (loss of sync) the same back-pointer finds nothing.
    decoder.resetReservoir();
    EXPECT_EQ(decoder.decodeFrame(mono(), frameBody(side, 10, 0xff), 32, out),
              Layer3Status::Silent);
    EXPECT_TRUE(allZero(out));
}

}  // namespace
}  // namespace velt::mpeg::layer3
