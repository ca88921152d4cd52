// Every code word of every Huffman table, written into crafted MPEG-1 Layer III frames with
// that table selected, must decode the same with our decoder as with mpg123: a code word typed
// against the wrong pair would decode to other values there and change the output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "layer3_bit_writer.h"
#include "layer3_stream_decoder.h"
#include "mpeg/layer3/huffman_tables.h"
#include "requirements.h"
#include "test_support.h"

namespace velt::mpeg::layer3 {
namespace {

namespace fs = std::filesystem;
using test::BitWriter;

// 44.1 kHz, 320 kbit/s, single channel, no CRC: 1044 bytes, 17 of side information.
constexpr size_t kFrameBytes = 1044;
constexpr size_t kSideBytes = 17;
constexpr int kPairsPerGranule = 64;
constexpr int kGlobalGain = 170;  // loud enough that one wrong value shows by many LSB

struct Granule {
    int table = 0;      // big-values table, or 32 + count1 table
    BitWriter data;     // the Huffman bits
    int bigValues = 0;  // pairs
};

void putSide(BitWriter& w, const Granule& g) {
    const bool count1 = g.table >= 32;
    w.put(static_cast<uint32_t>(g.data.bits()), 12).put(static_cast<uint32_t>(g.bigValues), 9);
    w.put(kGlobalGain, 8).put(0, 4).put(0, 1);  // scalefac_compress 0, no window switching
    const uint32_t table = count1 ? 0 : static_cast<uint32_t>(g.table);
    w.put(table, 5).put(table, 5).put(table, 5).put(15, 4).put(7, 3);
    w.put(0, 1).put(0, 1).put(count1 ? static_cast<uint32_t>(g.table - 32) : 0, 1);
}

std::vector<uint8_t> craftStream() {
    std::vector<Granule> granules;
    for (int t = 1; t < 34; ++t) {
        const bool count1 = t >= 32;
        if (!count1 && (!bigValuesTable(t).code || (t > 16 && t != 24))) continue;
        const HuffmanCode& code = count1 ? count1Code(t - 32) : *bigValuesTable(t).code;
        const int linbits = count1 ? 0 : bigValuesTable(t).linbits;
        const int count = code.size * code.size;
        for (int first = 0; first < count; first += kPairsPerGranule) {
            Granule g;
            g.table = t;
            for (int v = first; v < std::min(count, first + kPairsPerGranule); ++v) {
                g.data.put(code.codes[static_cast<size_t>(v)],
                           code.lengths[static_cast<size_t>(v)]);
                if (count1) {
                    for (int i = 3; i >= 0; --i)
                        if ((v >> i) & 1) g.data.put(static_cast<uint32_t>(v & 1), 1);
                    continue;
                }
                const int x = v / code.size, y = v % code.size;
                for (int value : {x, y}) {
                    if (value == 15 && linbits) g.data.put(1, linbits);  // 15 + 1
                    if (value) g.data.put(static_cast<uint32_t>((v + value) & 1), 1);
                }
                ++g.bigValues;
            }
            granules.push_back(std::move(g));
        }
    }
    if (granules.size() % 2) granules.emplace_back();

    std::vector<uint8_t> stream;
    for (size_t i = 0; i < granules.size(); i += 2) {
        BitWriter side;
        side.put(0, 9).put(0, 5).put(0, 4);
        putSide(side, granules[i]);
        putSide(side, granules[i + 1]);
        std::vector<uint8_t> frame = {0xFF, 0xFB, 0xE0, 0xC0};
        const std::vector<uint8_t> sideBytes = side.bytes(kSideBytes);
        frame.insert(frame.end(), sideBytes.begin(), sideBytes.end());
        BitWriter main;
        for (const Granule* g : {&granules[i], &granules[i + 1]}) {
            const std::vector<uint8_t> bytes = g->data.bytes(0);
            for (size_t bit = 0; bit < g->data.bits(); ++bit)
                main.put((bytes[bit / 8] >> (7 - bit % 8)) & 1u, 1);
        }
        const std::vector<uint8_t> mainBytes = main.bytes(kFrameBytes - 4 - kSideBytes);
        frame.insert(frame.end(), mainBytes.begin(), mainBytes.end());
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    return stream;
}

TEST(Layer3HuffmanCrossCheck, EveryCodeWordDecodesAsMpg123DecodesIt) {
    VELT_REQUIRE(velt::test::missingTools({"mpg123"}));
    velt::test::TempDir dir;
    const std::vector<uint8_t> stream = craftStream();
    const fs::path mp3 = dir / "codes.mp3", raw = dir / "codes.raw";
    velt::test::writeFile(mp3, std::string(stream.begin(), stream.end()));
    ASSERT_EQ(
        velt::test::runCommand("mpg123 -q --no-gapless -s " + velt::test::shellQuote(mp3.string()) +
                               " > " + velt::test::shellQuote(raw.string()) + " 2>/dev/null")
            .exitCode,
        0);
    const std::vector<unsigned char> rawBytes = velt::test::readBytes(raw);
    const test::DecodedStream ours = test::decodeLayer3Stream(stream);
    EXPECT_EQ(ours.refused, 0);
    ASSERT_EQ(ours.samples.size() * 2, rawBytes.size());
    int worst = 0;
    size_t worstAt = 0, loud = 0;
    for (size_t i = 0; i < ours.samples.size(); ++i) {
        const int reference = static_cast<int16_t>(rawBytes[2 * i] | rawBytes[2 * i + 1] << 8);
        if (std::abs(reference) > 100) ++loud;
        if (std::abs(ours.samples[i] - reference) > worst) {
            worst = std::abs(ours.samples[i] - reference);
            worstAt = i;
        }
    }
    EXPECT_LE(worst, 2) << "at granule " << worstAt / 576;
    EXPECT_GT(loud, ours.samples.size() / 4) << "the crafted frames should be far from silent";
}

}  // namespace
}  // namespace velt::mpeg::layer3
