// Frame synchronisation, acceptance rules, truncation, damage, and the Layer III bit reservoir.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "mpeg/frame_reader.h"
#include "mpeg_test_util.h"

namespace velt::mpeg {
namespace {

using test::append;
using test::frameBytes;

// MPEG-1 Layer II, 44.1 kHz, stereo, 192 kbit/s, no CRC: 626-byte frames.
constexpr std::uint32_t kLayer2Header = 0xfffda000u;
// The same with padding: 627 bytes.
constexpr std::uint32_t kLayer2Padded = 0xfffda200u;
// The same with bitrate index 0 (free format).
constexpr std::uint32_t kFreeFormat = 0xfffd0000u;

std::vector<std::uint8_t> frames(int count, std::uint32_t header = kLayer2Header) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < count; ++i) append(bytes, frameBytes(header));
    return bytes;
}

std::vector<std::uint8_t> text(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST(MpegFrameReader, CountsFramesOfShortStreams) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        int frames;
    };
    std::vector<std::uint8_t> padded = frames(1);
    append(padded, frameBytes(kLayer2Padded));
    append(padded, frames(1));
    std::vector<std::uint8_t> truncated = frames(3);
    truncated.resize(truncated.size() - 100);
    std::vector<std::uint8_t> cutHeader = frames(2);
    cutHeader.push_back(0xff);
    cutHeader.push_back(0xfd);
    const Case cases[] = {
        {"empty", {}, 0},
        {"one frame", frames(1), 1},
        {"three frames", frames(3), 3},
        {"padded frame in the middle", padded, 3},
        {"last frame cut short", truncated, 2},
        {"a piece of a header at the end", cutHeader, 2},
        {"free format", frames(4, kFreeFormat), 0},
        {"only text", text("This is not an MPEG audio stream, only some words."), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const test::Decoded d = test::decodeBytes(c.bytes);
        EXPECT_EQ(d.frames, c.frames);
        EXPECT_EQ(d.endCode, kEndOfStream);
        EXPECT_EQ(d.pcm.size(), static_cast<std::size_t>(c.frames) * 1152 * 2);
    }
}

TEST(MpegFrameReader, SkipsGarbageBeforeInsideAndAfterTheAudio) {
    std::vector<std::uint8_t> bytes = text("junk before the audio \xff\xfe\xff");
    append(bytes, frames(3));
    append(bytes, text("junk in the middle \xff\xf0 more"));
    append(bytes, frames(2));
    append(bytes, text("trailing junk"));
    const test::Decoded d = test::decodeBytes(bytes);
    EXPECT_EQ(d.frames, 5);
    EXPECT_EQ(d.endCode, kEndOfStream);
}

TEST(MpegFrameReader, OutOfSyncFrameNeedsAValidFollower) {
    // A lone frame after garbage that is followed by garbage (not the end) is refused.
    std::vector<std::uint8_t> bytes = text("garbage");
    append(bytes, frames(1));
    append(bytes, text("more garbage that goes on"));
    MemoryInput input(bytes);
    FrameReader reader(input);
    EXPECT_EQ(reader.readFrame(), kInvalidFrame);
    EXPECT_EQ(reader.readFrame(), kEndOfStream);
}

// Another kind of stream (version, layer or rate) counts only when the two headers after the
// first of its frames confirm it; else that header is damage and its frame is skipped.
TEST(MpegFrameReader, AChangeOfKindNeedsTwoConfirmingHeaders) {
    // 48 kHz, 192 kbit/s: 576-byte frames; the same header on a 44.1 kHz frame's 626 bytes is
    // what one hit bit in the rate field makes of it.
    constexpr std::uint32_t k48kHz = 0xfffda400u;
    std::vector<std::uint8_t> damaged = frameBytes(kLayer2Header);
    damaged[2] = static_cast<std::uint8_t>(k48kHz >> 8);
    const auto join = [](std::initializer_list<std::vector<std::uint8_t>> parts) {
        std::vector<std::uint8_t> bytes;
        for (const auto& part : parts) append(bytes, part);
        return bytes;
    };
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        int frames;
    };
    const Case cases[] = {
        {"damaged header in the middle", join({frames(3), damaged, frames(3)}), 6},
        {"damaged header in the last but one frame", join({frames(4), damaged, frames(1)}), 5},
        {"damaged header in the last frame", join({frames(4), damaged}), 4},
        {"damaged header in the first frame after junk",
         join({frames(2), text("junk"), damaged, frames(2)}), 4},
        {"three frames of another rate", join({frames(3), frames(3, k48kHz)}), 6},
        {"two frames of another rate at the end", join({frames(3), frames(2, k48kHz)}), 3},
        {"two frames of another rate, then junk",
         join({frames(3), frames(2, k48kHz), text("junk"), frames(2)}), 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const test::Decoded d = test::decodeBytes(c.bytes);
        EXPECT_EQ(d.frames, c.frames);
        EXPECT_EQ(d.endCode, kEndOfStream);
    }
}

TEST(MpegFrameReader, ReadsTheHeaderFieldsAndSkipsTheCrc) {
    // MPEG-1 Layer I, 32 kHz, stereo, 32 kbit/s, with CRC: 48-byte frames.
    const std::uint32_t header = 0xfffe1800u;
    std::vector<std::uint8_t> bytes = frameBytes(header);
    bytes[4] = 0xAB;  // CRC, never checked
    bytes[5] = 0xCD;
    bytes[6] = 0x12;  // first data bits
    MemoryInput input(bytes);
    FrameReader reader(input);
    ASSERT_EQ(reader.readFrame(), kOk);
    EXPECT_EQ(reader.header().layer, 1);
    EXPECT_TRUE(reader.header().crcProtected);
    EXPECT_EQ(reader.bits().read(8), 0x12u);
    EXPECT_EQ(reader.bits().sizeBits(), (48u - 4u) * 8u);
    ASSERT_EQ(reader.body().size(), 42u);  // after the header and the CRC
    EXPECT_EQ(reader.body()[0], 0x12);
    EXPECT_TRUE(reader.afterSyncLoss());
}

TEST(MpegFrameReader, DamagedCopiesNeverCrashOrHang) {
    const std::vector<std::uint8_t> clean = frames(20);
    std::mt19937 rng(5);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> bytes = clean;
        const int kind = round % 3;
        std::uniform_int_distribution<std::size_t> at(0, bytes.size() - 1);
        if (kind == 0) {
            for (int i = 0; i < 40; ++i)
                bytes[at(rng)] ^= static_cast<std::uint8_t>(1 + rng() % 255);
        } else if (kind == 1) {
            const std::size_t from = at(rng);
            const std::size_t n = std::min<std::size_t>(rng() % 2000, bytes.size() - from);
            std::fill_n(bytes.begin() + static_cast<long>(from), n, 0);
        } else {
            bytes.resize(at(rng));
        }
        const test::Decoded d = test::decodeBytes(bytes);
        EXPECT_EQ(d.endCode, kEndOfStream);
        EXPECT_LE(d.frames, 20 + 20);  // damaged bytes can look like short frames, never more
    }
    // Random bytes, with many 0xFF bytes so that false syncs are frequent.
    for (int round = 0; round < 50; ++round) {
        std::vector<std::uint8_t> bytes(20000);
        for (std::uint8_t& b : bytes) b = rng() % 3 == 0 ? 0xff : static_cast<std::uint8_t>(rng());
        const test::Decoded d = test::decodeBytes(bytes);
        EXPECT_EQ(d.endCode, kEndOfStream);
    }
}

// MPEG-1 Layer III, 48 kHz, single channel, 64 kbit/s, no CRC: 192-byte frames with 17 bytes of
// side information, so 171 bytes of main data each.
constexpr std::uint32_t kLayer3Header = 0xfffb54c0u;

std::vector<std::uint8_t> layer3Frame(int mainDataBegin, std::uint8_t fill) {
    std::vector<std::uint8_t> bytes = frameBytes(kLayer3Header, fill);
    std::fill_n(bytes.begin() + 4, 17, 0);
    bytes[4] = static_cast<std::uint8_t>(mainDataBegin >> 1);  // 9-bit main_data_begin
    bytes[5] = static_cast<std::uint8_t>((mainDataBegin & 1) << 7);
    return bytes;
}

TEST(MpegFrameReader, MainDataComesFromTheReservoir) {
    std::vector<std::uint8_t> bytes = layer3Frame(0, 0x11);
    append(bytes, layer3Frame(10, 0x22));
    append(bytes, layer3Frame(200, 0x33));  // reaches back into both earlier frames
    append(bytes, layer3Frame(0, 0x44));
    MemoryInput input(bytes);
    FrameReader reader(input);

    ASSERT_EQ(reader.readFrame(), kOk);
    // The body holds the side information and the frame's own main data in one piece.
    ASSERT_EQ(reader.body().size(), 188u);
    EXPECT_EQ(reader.body()[16], 0);
    EXPECT_EQ(reader.body()[17], 0x11);
    EXPECT_EQ(reader.bits().read(9), 0u);
    ASSERT_TRUE(reader.loadMainData(0, 171 * 8));
    EXPECT_EQ(reader.bits().read(8), 0x11u);

    ASSERT_EQ(reader.readFrame(), kOk);
    EXPECT_FALSE(reader.afterSyncLoss());
    EXPECT_EQ(reader.body()[17], 0x22);
    EXPECT_EQ(reader.bits().read(9), 10u);
    ASSERT_TRUE(reader.loadMainData(10, 20 * 8));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(reader.bits().read(8), 0x11u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(reader.bits().read(8), 0x22u);
    EXPECT_FALSE(reader.bits().overrun());

    ASSERT_EQ(reader.readFrame(), kOk);
    ASSERT_TRUE(reader.loadMainData(200, 400 * 8));
    for (int i = 0; i < 29; ++i) EXPECT_EQ(reader.bits().read(8), 0x11u);
    for (int i = 0; i < 171; ++i) EXPECT_EQ(reader.bits().read(8), 0x22u);
    for (int i = 0; i < 171; ++i) EXPECT_EQ(reader.bits().read(8), 0x33u);
    // Bits beyond the data stored so far read as zeros with the overrun flag.
    EXPECT_EQ(reader.bits().read(8), 0u);
    EXPECT_TRUE(reader.bits().overrun());

    ASSERT_EQ(reader.readFrame(), kOk);
    ASSERT_TRUE(reader.loadMainData(0, 0));
}

TEST(MpegFrameReader, MainDataBeforeTheFirstFrameIsMissing) {
    std::vector<std::uint8_t> bytes = layer3Frame(5, 0x11);
    append(bytes, layer3Frame(171, 0x22));
    append(bytes, layer3Frame(400, 0x33));
    MemoryInput input(bytes);
    FrameReader reader(input);
    ASSERT_EQ(reader.readFrame(), kOk);
    EXPECT_FALSE(reader.loadMainData(5, 100));
    ASSERT_EQ(reader.readFrame(), kOk);
    ASSERT_TRUE(reader.loadMainData(171, 8));
    EXPECT_EQ(reader.bits().read(8), 0x11u);
    ASSERT_EQ(reader.readFrame(), kOk);
    EXPECT_FALSE(reader.loadMainData(400, 8));  // only 342 bytes were ever stored
    // After a reset (a seek to the second frame) nothing is carried any more.
    reader.reset();
    input.seek(192);
    ASSERT_EQ(reader.readFrame(), kOk);
    EXPECT_FALSE(reader.loadMainData(171, 8));
}

}  // namespace
}  // namespace velt::mpeg
