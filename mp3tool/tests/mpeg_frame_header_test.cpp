// Frame header fields, validity rules, frame lengths, and the structure of the rate tables.
#include <gtest/gtest.h>

#include "mpeg/frame_header.h"
#include "mpeg/header_tables.h"

namespace velt::mpeg {
namespace {

struct HeaderFields {
    int extension = 1;
    int id = 1;
    int layer = 2;  // layer number
    int crc = 0;    // 1: CRC present (protection bit 0)
    int bitrate = 8;
    int sampling = 0;
    int padding = 0;
    int mode = kStereo;
    int modeExtension = 0;
};

std::uint32_t headerWord(const HeaderFields& f) {
    const std::uint32_t layerCode = f.layer == 0 ? 0u : static_cast<std::uint32_t>(4 - f.layer);
    return 0xffe00000u | std::uint32_t(f.extension) << 20 | std::uint32_t(f.id) << 19 |
           layerCode << 17 | std::uint32_t(f.crc ? 0 : 1) << 16 | std::uint32_t(f.bitrate) << 12 |
           std::uint32_t(f.sampling) << 10 | std::uint32_t(f.padding) << 9 |
           std::uint32_t(f.mode) << 6 | std::uint32_t(f.modeExtension) << 4;
}

TEST(MpegFrameHeader, FieldsAreSplitFromTheWord) {
    // 0xFFFB9064: MPEG-1 Layer III, no CRC, 128 kbit/s, 44.1 kHz, joint stereo, extension 2.
    const FrameHeader h = parseFrameHeader(0xfffb9064u);
    EXPECT_EQ(h.version, Version::Mpeg1);
    EXPECT_EQ(h.layer, 3);
    EXPECT_FALSE(h.crcProtected);
    EXPECT_EQ(h.bitrateKbps(), 128);
    EXPECT_EQ(h.sampleRate(), 44100);
    EXPECT_EQ(h.mode, kJointStereo);
    EXPECT_EQ(h.modeExtension, 2);
    EXPECT_EQ(h.level(), 1);
    EXPECT_EQ(h.channels(), 2);
    EXPECT_EQ(h.frameBytes(), 417);
    EXPECT_TRUE(isValidHeader(h));
}

TEST(MpegFrameHeader, VersionCodesAndDerivedValues) {
    struct Case {
        const char* name;
        int extension, id, layer, mode;
        Version version;
        int level, rate, samples, sideInfo, channels;
    };
    const Case cases[] = {
        {"mpeg1 layer1 stereo", 1, 1, 1, kStereo, Version::Mpeg1, 1, 44100, 384, 32, 2},
        {"mpeg1 layer3 mono", 1, 1, 3, kSingleChannel, Version::Mpeg1, 1, 44100, 1152, 17, 1},
        {"mpeg2 layer2 dual", 1, 0, 2, kDualChannel, Version::Mpeg2, 2, 22050, 1152, 17, 2},
        {"mpeg2 layer3 mono", 1, 0, 3, kSingleChannel, Version::Mpeg2, 2, 22050, 576, 9, 1},
        {"mpeg2.5 layer3 joint", 0, 0, 3, kJointStereo, Version::Mpeg25, 0, 11025, 576, 17, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeaderFields f;
        f.extension = c.extension;
        f.id = c.id;
        f.layer = c.layer;
        f.mode = c.mode;
        f.bitrate = 4;
        const FrameHeader h = parseFrameHeader(headerWord(f));
        EXPECT_TRUE(isValidHeader(h));
        EXPECT_EQ(h.version, c.version);
        EXPECT_EQ(h.level(), c.level);
        EXPECT_EQ(h.sampleRate(), c.rate);
        EXPECT_EQ(h.samplesPerFrame(), c.samples);
        if (c.layer == 3) {
            EXPECT_EQ(h.sideInfoBytes(), c.sideInfo);
        }
        EXPECT_EQ(h.channels(), c.channels);
    }
}

TEST(MpegFrameHeader, FrameLengthsWithAndWithoutPadding) {
    struct Case {
        const char* name;
        HeaderFields fields;
        int bytes;
    };
    const Case cases[] = {
        {"L1 44.1k 32k", {1, 1, 1, 0, 1, 0, 0}, 32},
        {"L1 44.1k 32k padded", {1, 1, 1, 0, 1, 0, 1}, 36},
        {"L1 32k 448k", {1, 1, 1, 0, 14, 2, 0}, 672},
        {"L1 32k 448k padded", {1, 1, 1, 0, 14, 2, 1}, 676},
        {"L1 48k 32k padded", {1, 1, 1, 0, 1, 1, 1}, 36},
        {"L2 44.1k 192k", {1, 1, 2, 0, 10, 0, 0}, 626},
        {"L2 44.1k 192k padded", {1, 1, 2, 0, 10, 0, 1}, 627},
        {"L2 32k 384k", {1, 1, 2, 0, 14, 2, 0}, 1728},
        {"L2 32k 384k padded", {1, 1, 2, 0, 14, 2, 1}, 1729},
        {"L2 48k 128k", {1, 1, 2, 1, 8, 1, 0}, 384},
        {"L2 48k 128k padded", {1, 1, 2, 1, 8, 1, 1}, 385},
        {"L3 44.1k 128k padded", {1, 1, 3, 0, 9, 0, 1}, 418},
        {"L3 48k 320k", {1, 1, 3, 0, 14, 1, 0}, 960},
        {"L3 48k 320k padded", {1, 1, 3, 0, 14, 1, 1}, 961},
        {"L3 32k 128k padded", {1, 1, 3, 0, 9, 2, 1}, 577},
        {"MPEG-2 L3 24k 64k padded", {1, 0, 3, 0, 8, 1, 1}, 193},
        {"MPEG-2 L1 24k 256k", {1, 0, 1, 0, 14, 1, 0}, 512},
        {"MPEG-2 L2 16k 160k", {1, 0, 2, 0, 14, 2, 0}, 1440},
        {"MPEG-2 L3 22.05k 64k", {1, 0, 3, 0, 8, 0, 0}, 208},
        {"MPEG-2 L3 22.05k 64k padded", {1, 0, 3, 0, 8, 0, 1}, 209},
        {"MPEG-2.5 L3 8k 8k", {0, 0, 3, 0, 1, 2, 0}, 72},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FrameHeader h = parseFrameHeader(headerWord(c.fields));
        ASSERT_TRUE(isValidHeader(h));
        EXPECT_EQ(h.frameBytes(), c.bytes);
    }
}

TEST(MpegFrameHeader, InvalidHeadersAreRefused) {
    struct Case {
        const char* name;
        HeaderFields fields;
    };
    const Case cases[] = {
        {"free format", {1, 1, 2, 0, 0, 0, 0, kStereo}},
        {"forbidden bitrate", {1, 1, 3, 0, 15, 0, 0, kStereo}},
        {"reserved layer", {1, 1, 0, 0, 8, 0, 0, kStereo}},
        {"reserved sampling index", {1, 1, 3, 0, 8, 3, 0, kStereo}},
        {"reserved version", {0, 1, 3, 0, 8, 0, 0, kStereo}},
        {"MPEG 2.5 Layer I", {0, 0, 1, 0, 8, 0, 0, kStereo}},
        {"MPEG 2.5 Layer II", {0, 0, 2, 0, 8, 0, 0, kStereo}},
        {"L2 32k stereo", {1, 1, 2, 0, 1, 0, 0, kStereo}},
        {"L2 48k joint", {1, 1, 2, 0, 2, 0, 0, kJointStereo}},
        {"L2 56k dual", {1, 1, 2, 0, 3, 0, 0, kDualChannel}},
        {"L2 80k stereo", {1, 1, 2, 0, 5, 0, 0, kStereo}},
        {"L2 224k mono", {1, 1, 2, 0, 11, 0, 0, kSingleChannel}},
        {"L2 384k mono", {1, 1, 2, 0, 14, 0, 0, kSingleChannel}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(isValidHeader(parseFrameHeader(headerWord(c.fields))));
    }
    EXPECT_FALSE(isValidHeader(parseFrameHeader(0x7ffb9064u))) << "no sync";
    // The same rates are fine in the modes the standard allows them for.
    EXPECT_TRUE(isValidHeader(parseFrameHeader(headerWord({1, 1, 2, 0, 1, 0, 0, kSingleChannel}))));
    EXPECT_TRUE(isValidHeader(parseFrameHeader(headerWord({1, 1, 2, 0, 14, 0, 0, kJointStereo}))));
    EXPECT_TRUE(isValidHeader(parseFrameHeader(headerWord({1, 1, 3, 0, 1, 0, 0, kStereo}))));
}

TEST(MpegHeaderTables, BitrateRowsRiseAndKeepFreeAndForbiddenEmpty) {
    for (const auto& family : kBitrateKbps) {
        for (const auto& row : family) {
            EXPECT_EQ(row[0], 0);
            EXPECT_EQ(row[15], 0);
            for (int i = 2; i < 15; ++i) EXPECT_GT(row[i], row[i - 1]);
        }
    }
    // MPEG-1 Layer I is 32 kbit/s steps; Layers II and III of the low rates share one row.
    for (int i = 1; i < 15; ++i) EXPECT_EQ(kBitrateKbps[1][0][i], 32 * i);
    EXPECT_EQ(kBitrateKbps[0][1], kBitrateKbps[0][2]);
    EXPECT_EQ(kBitrateKbps[1][1][14], 384);
    EXPECT_EQ(kBitrateKbps[1][2][14], 320);
    EXPECT_EQ(kBitrateKbps[0][0][14], 256);
    EXPECT_EQ(kBitrateKbps[0][1][14], 160);
}

TEST(MpegHeaderTables, SampleRateFamiliesAreHalvesOfEachOther) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(kSampleRateHz[0][i] * 2, kSampleRateHz[1][i]);
        EXPECT_EQ(kSampleRateHz[2][i] * 2, kSampleRateHz[0][i]);
    }
    for (const auto& row : kSampleRateHz) EXPECT_EQ(row[3], 0u);
}

}  // namespace
}  // namespace velt::mpeg
