// Layer I and II streams generated here with random allocations, scale factors and samples,
// in every channel mode and at the MPEG-1 and the low sampling rates, decode with "full
// accuracy" against mpg123. Layer I has no encoder on the machine, and no Layer II encoder
// writes joint-stereo bounds above the subband limit, so the generator covers both. Then the
// rules for impossible values: Layer II grouped codes beyond their range, a Layer I allocation
// of 15, a frame whose fields run past its bytes, and CRC frames.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "mpeg/layer2.h"
#include "mpeg_test_util.h"
#include "requirements.h"
#include "test_support.h"

namespace velt::mpeg {
namespace {

using test::BitWriter;

struct StreamSpec {
    const char* name;
    int layer;
    int id;  // 1 MPEG-1, 0 low sampling rates
    int samplingIndex;
    int bitrateIndex;
    int mode;
    bool crc = false;
};

void PrintTo(const StreamSpec& s, std::ostream* os) {
    *os << s.name;
}

std::uint32_t headerWord(const StreamSpec& s, int modeExtension) {
    return 0xfff00000u | std::uint32_t(s.id) << 19 | std::uint32_t(4 - s.layer) << 17 |
           std::uint32_t(s.crc ? 0 : 1) << 16 | std::uint32_t(s.bitrateIndex) << 12 |
           std::uint32_t(s.samplingIndex) << 10 | std::uint32_t(s.mode) << 6 |
           std::uint32_t(modeExtension) << 4;
}

class FrameGenerator {
  public:
    explicit FrameGenerator(unsigned seed) : rng_(seed) {}

    std::vector<std::uint8_t> frame(const StreamSpec& s) {
        const int ext = s.mode == kJointStereo ? pick(0, 3) : 0;
        const std::uint32_t word = headerWord(s, ext);
        const FrameHeader h = parseFrameHeader(word);
        const std::size_t capacity =
            static_cast<std::size_t>(h.frameBytes() - 4 - (s.crc ? 2 : 0)) * 8;
        BitWriter w;
        w.put(word, 32);
        if (s.crc) w.put(0xBEEF, 16);  // never checked
        if (s.layer == 1) {
            layer1(h, w, capacity);
        } else {
            layer2(h, w, capacity);
        }
        return w.bytes(static_cast<std::size_t>(h.frameBytes()));
    }

  private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    // Random allocations, lowered at random until the frame's bits suffice.
    template <typename BitsOf>
    void fit(int (&alloc)[2][32], int subbands, int readFrom, std::size_t capacity, BitsOf bitsOf) {
        while (bitsOf(alloc) > capacity) {
            const int sb = pick(0, subbands - 1);
            const int ch = sb < readFrom ? pick(0, 1) : 0;
            if (alloc[ch][sb] > 0) --alloc[ch][sb];
        }
    }

    void layer1(const FrameHeader& h, BitWriter& w, std::size_t capacity) {
        const int channels = h.channels();
        const int bound = h.mode == kJointStereo ? 4 * h.modeExtension + 4 : 32;
        int alloc[2][32] = {};
        for (int sb = 0; sb < 32; ++sb) {
            for (int ch = 0; ch < channels; ++ch) alloc[ch][sb] = sb < 20 ? pick(0, 14) : 0;
        }
        auto bitsOf = [&](int(&a)[2][32]) {
            std::size_t bits = 0;
            for (int sb = 0; sb < 32; ++sb) {
                const int read = sb < bound ? channels : 1;
                bits += 4u * static_cast<std::size_t>(read);
                for (int ch = 0; ch < channels; ++ch) {
                    const int al = ch < read ? a[ch][sb] : a[0][sb];
                    if (al) bits += 6;
                }
                for (int ch = 0; ch < read; ++ch) {
                    if (a[ch][sb]) bits += 12u * static_cast<std::size_t>(a[ch][sb] + 1);
                }
            }
            return bits;
        };
        fit(alloc, 32, bound, capacity, bitsOf);
        for (int sb = bound; sb < 32; ++sb) alloc[1][sb] = alloc[0][sb];
        for (int sb = 0; sb < 32; ++sb) {
            for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) w.put(alloc[ch][sb], 4);
        }
        for (int sb = 0; sb < 32; ++sb) {
            for (int ch = 0; ch < channels; ++ch) {
                if (alloc[ch][sb]) w.put(pick(16, 62), 6);
            }
        }
        for (int slot = 0; slot < 12; ++slot) {
            for (int sb = 0; sb < 32; ++sb) {
                for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
                    const int nb = alloc[ch][sb] + 1;
                    if (alloc[ch][sb]) w.put(pick(0, (1 << nb) - 2), nb);
                }
            }
        }
    }

    void layer2(const FrameHeader& h, BitWriter& w, std::size_t capacity) {
        const AllocationTable& t = layer2Table(h);
        const int limit = t.subbandLimit;
        const int channels = h.channels();
        // Bounds above the limit count as the limit.
        const int bound = h.mode == kJointStereo ? std::min(4 * h.modeExtension + 4, limit) : limit;
        int alloc[2][32] = {};
        int scfsi[2][32] = {};
        for (int sb = 0; sb < limit; ++sb) {
            for (int ch = 0; ch < channels; ++ch) {
                alloc[ch][sb] = pick(0, (1 << t.allocationBits[sb]) - 1);
                scfsi[ch][sb] = pick(0, 3);
            }
        }
        auto bitsOf = [&](int(&a)[2][32]) {
            std::size_t bits = 0;
            for (int sb = 0; sb < limit; ++sb) {
                const int read = sb < bound ? channels : 1;
                bits += t.allocationBits[sb] * static_cast<std::size_t>(read);
                for (int ch = 0; ch < channels; ++ch) {
                    const int al = ch < read ? a[ch][sb] : a[0][sb];
                    if (al) bits += 2 + 6 * (scfsi[ch][sb] == 0 ? 3 : scfsi[ch][sb] == 2 ? 1 : 2);
                }
                for (int ch = 0; ch < read; ++ch) {
                    if (!a[ch][sb]) continue;
                    const QuantClass& q = kQuantClasses[t.classes[sb][a[ch][sb] - 1]];
                    bits += 12u * (q.grouped ? q.codeBits : 3u * q.codeBits);
                }
            }
            return bits;
        };
        fit(alloc, limit, bound, capacity, bitsOf);
        for (int sb = bound; sb < limit; ++sb) alloc[1][sb] = alloc[0][sb];
        for (int sb = 0; sb < limit; ++sb) {
            for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
                w.put(alloc[ch][sb], t.allocationBits[sb]);
            }
        }
        for (int sb = 0; sb < limit; ++sb) {
            for (int ch = 0; ch < channels; ++ch) {
                if (alloc[ch][sb]) w.put(scfsi[ch][sb], 2);
            }
        }
        for (int sb = 0; sb < limit; ++sb) {
            for (int ch = 0; ch < channels; ++ch) {
                if (!alloc[ch][sb]) continue;
                const int count = scfsi[ch][sb] == 0 ? 3 : scfsi[ch][sb] == 2 ? 1 : 2;
                for (int i = 0; i < count; ++i) w.put(pick(12, 62), 6);
            }
        }
        for (int granule = 0; granule < 12; ++granule) {
            for (int sb = 0; sb < limit; ++sb) {
                for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
                    if (!alloc[ch][sb]) continue;
                    const QuantClass& q = kQuantClasses[t.classes[sb][alloc[ch][sb] - 1]];
                    const int levels = static_cast<int>(q.levels);
                    if (q.grouped) {
                        w.put(pick(0, levels * levels * levels - 1), q.codeBits);
                    } else {
                        for (int i = 0; i < 3; ++i) w.put(pick(0, levels - 1), q.codeBits);
                    }
                }
            }
        }
    }

    std::mt19937 rng_;
};

std::vector<std::uint8_t> generate(const StreamSpec& s, int frames, unsigned seed) {
    FrameGenerator generator(seed);
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < frames; ++i) test::append(bytes, generator.frame(s));
    return bytes;
}

class MpegGeneratedStreams : public ::testing::TestWithParam<StreamSpec> {};

TEST_P(MpegGeneratedStreams, MatchMpg123WithFullAccuracy) {
    const StreamSpec& s = GetParam();
    VELT_REQUIRE(velt::test::missingTools({"mpg123"}));
    const std::vector<std::uint8_t> bytes = generate(s, 24, 17);
    velt::test::TempDir dir;
    const auto stream = dir / "stream.mp2";
    const auto reference = dir / "reference.wav";
    velt::test::writeFile(stream, std::string(bytes.begin(), bytes.end()));
    ASSERT_EQ(velt::test::runCommand("mpg123 -q --no-gapless -w " +
                                     velt::test::shellQuote(reference.string()) + " " +
                                     velt::test::shellQuote(stream.string()) + " 2>&1")
                  .exitCode,
              0);
    const test::WavData want = test::readWav(reference);
    const test::Decoded got = test::decodeBytes(bytes);
    EXPECT_EQ(got.frames, 24);
    EXPECT_EQ(got.refused, 0);
    EXPECT_EQ(got.channels, want.channels);
    EXPECT_EQ(got.sampleRate, want.sampleRate);
    ASSERT_EQ(got.pcm.size(), want.pcm.size());
    const test::Difference d = test::compare(got.pcm, want.pcm, want.pcm.size());
    EXPECT_TRUE(test::fullAccuracy(d)) << "rms " << d.rms << " max " << d.maxAbs;

    // mpunpack writes the same samples with the stream's rate and channel count.
    const auto wav = dir / "ours.wav";
    const auto tool = velt::test::binDir() / "mpunpack";
    const auto run = velt::test::runCommand(velt::test::shellQuote(tool.string()) + " " +
                                            velt::test::shellQuote(stream.string()) + " " +
                                            velt::test::shellQuote(wav.string()));
    EXPECT_EQ(run.output, "DONE\n");
    const test::WavData written = test::readWav(wav);
    EXPECT_EQ(written.sampleRate, want.sampleRate);
    EXPECT_EQ(written.channels, want.channels);
    EXPECT_EQ(written.pcm, got.pcm);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, MpegGeneratedStreams,
    ::testing::Values(StreamSpec{"layer1_44k_stereo", 1, 1, 0, 12, kStereo},
                      StreamSpec{"layer1_48k_joint", 1, 1, 1, 10, kJointStereo},
                      StreamSpec{"layer1_32k_dual", 1, 1, 2, 14, kDualChannel},
                      StreamSpec{"layer1_44k_mono", 1, 1, 0, 6, kSingleChannel},
                      StreamSpec{"layer1_22k_joint", 1, 0, 0, 12, kJointStereo},
                      StreamSpec{"layer1_24k_stereo", 1, 0, 1, 14, kStereo},
                      StreamSpec{"layer1_16k_mono", 1, 0, 2, 8, kSingleChannel},
                      StreamSpec{"layer2_48k_joint_64k_bound_above_limit", 2, 1, 1, 4,
                                 kJointStereo},
                      StreamSpec{"layer2_32k_joint_96k", 2, 1, 2, 6, kJointStereo},
                      StreamSpec{"layer2_44k_dual_256k", 2, 1, 0, 12, kDualChannel},
                      StreamSpec{"layer2_32k_mono_192k", 2, 1, 2, 10, kSingleChannel},
                      StreamSpec{"layer2_24k_joint_128k", 2, 0, 1, 12, kJointStereo},
                      StreamSpec{"layer2_16k_dual_64k", 2, 0, 2, 8, kDualChannel}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MpegGeneratedStreams, CrcFramesDecodeLikeFramesWithout) {
    for (int layer : {1, 2}) {
        SCOPED_TRACE(layer);
        StreamSpec plain{"plain", layer, 1, 1, 10, kJointStereo, false};
        StreamSpec protectedSpec = plain;
        protectedSpec.crc = true;
        // The same seed draws the same values; the CRC frames have 16 bits less room, so
        // compare only frames whose content fits both: generate with the smaller room.
        const test::Decoded withCrc = test::decodeBytes(generate(protectedSpec, 6, 3));
        std::vector<std::uint8_t> bytes = generate(protectedSpec, 6, 3);
        // Remove the CRC words and clear the protection bit: same frames without CRC, which
        // are 2 bytes shorter than their header says; pad them back.
        std::vector<std::uint8_t> stripped;
        const int length = parseFrameHeader(headerWord(protectedSpec, 0)).frameBytes();
        for (std::size_t at = 0; at + static_cast<std::size_t>(length) <= bytes.size();
             at += static_cast<std::size_t>(length)) {
            std::vector<std::uint8_t> f(bytes.begin() + static_cast<long>(at),
                                        bytes.begin() + static_cast<long>(at) + length);
            f[1] |= 1;
            f.erase(f.begin() + 4, f.begin() + 6);
            f.push_back(0);
            f.push_back(0);
            test::append(stripped, f);
        }
        const test::Decoded without = test::decodeBytes(stripped);
        EXPECT_EQ(withCrc.frames, 6);
        EXPECT_EQ(withCrc.pcm, without.pcm);
        EXPECT_NE(withCrc.pcm, std::vector<std::int16_t>(withCrc.pcm.size(), 0));
    }
}

// MPEG-1 Layer II, 48 kHz, single channel, 56 kbit/s (table a): subband 0 gets 3 steps, one
// scale factor (index 0), and every granule the grouped code `code`.
std::vector<std::uint8_t> groupedFrame(std::uint32_t code) {
    const std::uint32_t word = 0xfffd34c0u;
    BitWriter w;
    w.put(word, 32);
    w.put(1, 4);  // subband 0: allocation 1 = 3 steps
    for (int sb = 1; sb < 27; ++sb) w.put(0, sb < 11 ? 4 : sb < 23 ? 3 : 2);
    w.put(2, 2);  // one scale factor for the whole frame
    w.put(0, 6);
    for (int granule = 0; granule < 12; ++granule) w.put(code, 5);
    return w.bytes(static_cast<std::size_t>(parseFrameHeader(word).frameBytes()));
}

TEST(MpegGeneratedStreams, GroupedCodesBeyondTheRangeGiveZeros) {
    for (std::uint32_t code : {27u, 31u}) {
        std::vector<std::uint8_t> bytes = groupedFrame(code);
        test::append(bytes, groupedFrame(code));
        const test::Decoded d = test::decodeBytes(bytes);
        EXPECT_EQ(d.frames, 2);
        EXPECT_EQ(d.pcm, std::vector<std::int16_t>(d.pcm.size(), 0)) << code;
    }
    std::vector<std::uint8_t> bytes = groupedFrame(26);
    test::append(bytes, groupedFrame(26));
    const test::Decoded d = test::decodeBytes(bytes);
    EXPECT_NE(d.pcm, std::vector<std::int16_t>(d.pcm.size(), 0));
}

TEST(MpegGeneratedStreams, ImpossibleLayer1FramesAreRefused) {
    // MPEG-1 Layer I, 44.1 kHz, single channel, 384 kbit/s.
    const std::uint32_t word = 0xffffc0c0u;
    const std::size_t length = static_cast<std::size_t>(parseFrameHeader(word).frameBytes());
    auto frameWith = [&](int allocation, int scale, bool fill) {
        BitWriter w;
        w.put(word, 32);
        for (int sb = 0; sb < 32; ++sb) w.put(sb == 0 ? allocation : fill ? 14 : 0, 4);
        for (int sb = 0; sb < 32; ++sb) {
            if (sb == 0 ? allocation != 0 : fill) w.put(sb == 0 ? scale : 30, 6);
        }
        // With `fill`, 31 subbands of 15-bit samples need far more than the frame holds.
        return w.bytes(length);
    };
    struct Case {
        const char* name;
        std::vector<std::uint8_t> frame;
        int decoded;
    };
    const Case cases[] = {
        {"allocation 15", frameWith(15, 10, false), 0},
        {"scale factor 63", frameWith(3, 63, false), 0},
        {"fields past the frame", frameWith(3, 10, true), 0},
        {"a good frame", frameWith(3, 10, false), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes;
        for (int i = 0; i < 3; ++i) test::append(bytes, c.frame);
        const test::Decoded d = test::decodeBytes(bytes);
        EXPECT_EQ(d.frames, c.decoded);
        EXPECT_EQ(d.refused, 3 - c.decoded);
        EXPECT_EQ(d.endCode, kEndOfStream);
    }
}

}  // namespace
}  // namespace velt::mpeg
