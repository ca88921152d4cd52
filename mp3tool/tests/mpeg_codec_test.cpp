// The MPEG codec module inside the decoder framework: what the probe publishes (header facts,
// duration, ID3v2 tags, Xing headers), the seek mapping, a stream shorter than the probe's read,
// the routing, rate reduction and gain options, and mpunpack's outcome for streams without a
// decodable frame and for damaged copies.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/control_block_setup.h"
#include "framework/control_block.h"
#include "framework/error_codes.h"
#include "mpeg_test_util.h"
#include "requirements.h"
#include "test_support.h"

namespace velt::mpeg {
namespace {

using velt::test::runCommand;
using velt::test::shellQuote;
using velt::test::TempDir;
namespace fs = std::filesystem;

std::string str(const std::vector<std::uint8_t>& b) {
    return {b.begin(), b.end()};
}

// What encode() needs; empty when everything is there.
std::string missingEncoder() {
    return velt::test::missingTools({"sox", "twolame"});
}

// A twolame encode of tones and noise; empty when a tool failed.
std::vector<std::uint8_t> encode(const TempDir& dir, int rate, int channels,
                                 const std::string& options) {
    const auto wav = dir / "source.wav";
    const auto mp2 = dir / "source.mp2";
    const std::string synth = channels == 2 ? "synth 1 sine 300 pinknoise" : "synth 1 sine 300";
    if (runCommand("sox -D -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) +
                   " -b 16 " + shellQuote(wav.string()) + " " + synth + " gain -6 2>&1")
                .exitCode != 0 ||
        runCommand("twolame --quiet " + options + " " + shellQuote(wav.string()) + " " +
                   shellQuote(mp2.string()) + " 2>&1")
                .exitCode != 0) {
        return {};
    }
    return velt::test::readBytes(mp2);
}

// A control block over `input` that writes raw PCM to `raw`, with the options set before the input
// opens (so the codec receives them when it is chosen).
struct Session {
    std::unique_ptr<mp3::ControlBlock> control;
    int openResult = 0;

    Session(const fs::path& input, const fs::path& raw, int routing = 0, int reduction = 0) {
        mp3::buildControlBlock(control);
        control->setOption1(routing);
        control->setOption2(reduction);
        control->selectOutput("raw:" + raw.string());
        control->openOutput();
        control->selectInput(input.string());
        openResult = control->openInput();
    }
    // Runs the decode loop; returns the number of successful steps.
    int decodeAll() {
        int steps = 0;
        int r;
        while ((r = control->decodeStep()) == mp3::kOk || r == mp3::kInvalidFrame) {
            if (r == mp3::kOk) ++steps;
        }
        control->closeInput();
        control->closeOutput();
        return steps;
    }
    int property(const char* name) const {
        std::int32_t v = -99;
        control->getStreamInteger(name, v);
        return v;
    }
};

std::vector<std::int16_t> rawPcm(const fs::path& file) {
    return test::readPcm(file);
}

TEST(MpegCodec, DescribesItself) {
    std::unique_ptr<mp3::ControlBlock> control;
    ASSERT_EQ(mp3::buildControlBlock(control), mp3::kOk);
    mp3::ModuleDescription d;
    ASSERT_EQ(control->codecModuleInfo(0, d, mp3::kInfoName | mp3::kInfoDevices), mp3::kOk);
    EXPECT_EQ(d.name, "MPEG Audio Codec");
    EXPECT_EQ(d.version, "Version 1.2");
    EXPECT_EQ(d.devices, 1);
    ASSERT_EQ(control->codecModuleInfo(0, d, mp3::kInfoDevice), mp3::kOk);
    EXPECT_EQ(d.deviceName, "MP1, MP2, MP3");
    EXPECT_EQ(d.deviceDescription, "MPEG 1 or 2 audio");
    ASSERT_EQ(control->codecModuleInfo(0, d, mp3::kInfoMaxOutput | mp3::kInfoKindWord), mp3::kOk);
    EXPECT_EQ(d.maxOutputBytes, 4608);
    EXPECT_EQ(d.infoWord, 3);
    d.device = 1;
    EXPECT_EQ(control->codecModuleInfo(0, d, mp3::kInfoDevice), mp3::kInvalidParameters);
}

TEST(MpegCodec, ProbePublishesTheHeaderFactsAndTheDuration) {
    VELT_REQUIRE(missingEncoder());
    TempDir dir;
    const std::vector<std::uint8_t> mp2 = encode(dir, 44100, 2, "-b 128 -m j");
    ASSERT_FALSE(mp2.empty()) << "sox or twolame failed";
    const auto file = dir / "in.mp2";
    velt::test::writeFile(file, str(mp2));
    Session s(file, dir / "out.raw");
    ASSERT_EQ(s.openResult, mp3::kOk);
    const mp3::StreamInfo& info = s.control->status().info;
    EXPECT_EQ(info.sampleRate, 44100);
    EXPECT_EQ(info.bitRate, 128);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.durationMs, static_cast<std::int64_t>(mp2.size() / 16));
    EXPECT_EQ(info.streamType, "audio/mpeg");
    EXPECT_EQ(s.property("mpeg/level"), 1);
    EXPECT_EQ(s.property("mpeg/layer"), 2);
    EXPECT_EQ(s.property("mpeg/mode"), kJointStereo);
    const int steps = s.decodeAll();
    EXPECT_GT(steps, 30);
    EXPECT_EQ(s.control->status().info.bitRate, 128) << "a constant bit rate never moves";
}

std::vector<std::uint8_t> id3Tag(int version, int flags, std::uint32_t bodySize, bool highBit) {
    std::vector<std::uint8_t> tag = {
        'I', 'D', '3', static_cast<std::uint8_t>(version), 0, static_cast<std::uint8_t>(flags)};
    for (int shift = 21; shift >= 0; shift -= 7) tag.push_back((bodySize >> shift) & 0x7f);
    if (highBit) tag[9] |= 0x80;
    return tag;
}

TEST(MpegCodec, Id3v2TaggedStreamsDecodeLikeUntaggedOnes) {
    VELT_REQUIRE(missingEncoder());
    TempDir dir;
    const std::vector<std::uint8_t> mp2 = encode(dir, 32000, 2, "-b 160 -m s");
    ASSERT_FALSE(mp2.empty()) << "sox or twolame failed";
    const auto plainFile = dir / "plain.mp2";
    velt::test::writeFile(plainFile, str(mp2));
    Session plain(plainFile, dir / "plain.raw");
    plain.decodeAll();
    const std::vector<std::int16_t> want = rawPcm(dir / "plain.raw");
    ASSERT_FALSE(want.empty());

    // A body of text with a false sync in it, so that a tag decoded as audio would show.
    const std::string body =
        std::string("TIT2 a title \xff\xfd\xa0\x00 more text") + std::string(300, '\0');
    struct Case {
        const char* name;
        std::vector<std::uint8_t> prefix;
        std::size_t tagBytes;  // where the audio data starts for the duration
    };
    std::vector<std::uint8_t> v23 = id3Tag(3, 0, static_cast<std::uint32_t>(body.size()), false);
    v23.insert(v23.end(), body.begin(), body.end());
    std::vector<std::uint8_t> v24 = id3Tag(4, 0x10, static_cast<std::uint32_t>(body.size()), false);
    v24.insert(v24.end(), body.begin(), body.end());
    const std::vector<std::uint8_t> footer = {'3', 'D', 'I', 4, 0, 0x10, 0, 0, 2, 0x2c};
    v24.insert(v24.end(), footer.begin(), footer.end());
    std::vector<std::uint8_t> badSize = id3Tag(3, 0, 20, true);
    badSize.insert(badSize.end(), 20, 'x');
    std::vector<std::uint8_t> pastEnd = id3Tag(3, 0, 0x0fffffff, false);
    pastEnd.insert(pastEnd.end(), 20, 'y');
    const Case cases[] = {
        {"v2.3", v23, v23.size()},
        {"v2.4 with footer", v24, v24.size()},
        {"size byte with its high bit set", badSize, 0},
        {"size past the end", pastEnd, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes = c.prefix;
        test::append(bytes, mp2);
        const auto file = dir / "tagged.mp2";
        velt::test::writeFile(file, str(bytes));
        Session s(file, dir / "tagged.raw");
        ASSERT_EQ(s.openResult, mp3::kOk);
        if (c.tagBytes > 0) {
            EXPECT_EQ(s.control->status().info.durationMs,
                      static_cast<std::int64_t>((bytes.size() - c.tagBytes) / 20));
        }
        s.decodeAll();
        EXPECT_EQ(rawPcm(dir / "tagged.raw"), want);
    }
}

TEST(MpegCodec, XingFrameCountFixesDurationAndTheSeekTableMapsTime) {
    VELT_REQUIRE(missingEncoder());
    TempDir dir;
    std::vector<std::uint8_t> mp2 = encode(dir, 44100, 2, "-b 192 -m s");
    ASSERT_FALSE(mp2.empty()) << "sox or twolame failed";
    // "Xing" after the 32 bytes of MPEG-1 two-channel side information: frames and seek table.
    const std::uint32_t frames = 1000;
    std::vector<std::uint8_t> xing = {'X', 'i', 'n', 'g', 0, 0, 0, 5, 0, 0, 0x03, 0xe8};
    for (int i = 0; i < 100; ++i) xing.push_back(static_cast<std::uint8_t>(i * 2));
    std::copy(xing.begin(), xing.end(), mp2.begin() + 36);
    const auto file = dir / "xing.mp2";
    velt::test::writeFile(file, str(mp2));
    Session s(file, dir / "xing.raw");
    ASSERT_EQ(s.openResult, mp3::kOk);
    const std::int64_t duration = 1152LL * 1000 * frames / 44100;
    EXPECT_EQ(s.control->status().info.durationMs, duration);
    EXPECT_EQ(s.control->status().info.bitRate, static_cast<int>(mp2.size() / duration * 8));
    // Half the play time: seek table entry 50 is 100, so 100/256 of the bytes.
    ASSERT_EQ(s.control->seekInputFraction(0.5), 0);
    EXPECT_EQ(s.control->inputBytePosition(),
              static_cast<std::uint64_t>(mp2.size() * (100.0 / 256.0)));
    // The ends of the play time: entry 0 (0) and the data's end.
    ASSERT_EQ(s.control->seekInputFraction(1.0), 0);
    EXPECT_EQ(s.control->inputBytePosition(), mp2.size());
    ASSERT_EQ(s.control->seekInputFraction(0.0), 0);
    EXPECT_EQ(s.control->inputBytePosition(), 0u);
    s.decodeAll();
    EXPECT_EQ(s.control->status().info.durationMs, duration) << "the frame count stays in force";
}

TEST(MpegCodec, StreamShorterThanTheProbeReadStillDecodes) {
    // MPEG-2 Layer II, 24 kHz, single channel, 8 kbit/s: 48-byte frames, two of them.
    std::vector<std::uint8_t> bytes = test::frameBytes(0xfff514c0u);
    test::append(bytes, test::frameBytes(0xfff514c0u));
    ASSERT_EQ(bytes.size(), 96u);
    TempDir dir;
    velt::test::writeFile(dir / "short.mp2", str(bytes));
    Session s(dir / "short.mp2", dir / "short.raw");
    ASSERT_EQ(s.openResult, mp3::kOk);
    EXPECT_EQ(s.control->status().info.sampleRate, 24000);
    EXPECT_EQ(s.decodeAll(), 2);
    EXPECT_EQ(rawPcm(dir / "short.raw").size(), 2u * 1152u);
}

TEST(MpegCodec, RoutingAndRateReductionOptions) {
    VELT_REQUIRE(missingEncoder());
    TempDir dir;
    const std::vector<std::uint8_t> mp2 = encode(dir, 44100, 2, "-b 256 -m d");
    ASSERT_FALSE(mp2.empty()) << "sox or twolame failed";
    const auto file = dir / "dual.mp2";
    velt::test::writeFile(file, str(mp2));
    auto decode = [&](int routing, int reduction, int* rate = nullptr) {
        Session s(file, dir / "out.raw", routing, reduction);
        s.decodeAll();
        if (rate) *rate = s.control->pcm().sampleRate;
        return rawPcm(dir / "out.raw");
    };
    const std::vector<std::int16_t> stereo = decode(0, 0);
    ASSERT_FALSE(stereo.empty());
    std::vector<std::int16_t> left;
    std::vector<std::int16_t> right;
    for (std::size_t i = 0; i + 1 < stereo.size(); i += 2) {
        left.push_back(stereo[i]);
        right.push_back(stereo[i + 1]);
    }
    EXPECT_EQ(decode(1, 0), left);
    EXPECT_EQ(decode(2, 0), right);
    const std::vector<std::int16_t> mix = decode(3, 0);
    ASSERT_EQ(mix.size(), left.size());
    for (std::size_t i = 0; i < mix.size(); ++i) {
        ASSERT_LE(std::abs(2 * mix[i] - left[i] - right[i]), 3) << i;
    }

    for (int reduction : {1, 2}) {
        SCOPED_TRACE(reduction);
        int rate = 0;
        const std::vector<std::int16_t> reduced = decode(0, reduction, &rate);
        EXPECT_EQ(rate, 44100 >> reduction);
        EXPECT_EQ(reduced.size(), stereo.size() >> reduction);
    }
}

TEST(MpegCodec, GainOptionScalesTheSubbands) {
    VELT_REQUIRE(missingEncoder());
    TempDir dir;
    const std::vector<std::uint8_t> mp2 = encode(dir, 48000, 1, "-b 96 -m m");
    ASSERT_FALSE(mp2.empty()) << "sox or twolame failed";
    const auto file = dir / "mono.mp2";
    velt::test::writeFile(file, str(mp2));
    Session plain(file, dir / "plain.raw");
    plain.decodeAll();
    std::unique_ptr<mp3::ControlBlock> control;
    mp3::buildControlBlock(control);
    std::array<std::int8_t, 64> gains{};
    gains.fill(-32);  // halves every subband
    control->setOption3(gains);
    control->selectOutput("raw:" + (dir / "half.raw").string());
    control->openOutput();
    control->selectInput(file.string());
    ASSERT_EQ(control->openInput(), mp3::kOk);
    while (control->decodeStep() == mp3::kOk) {
    }
    EXPECT_EQ((*control->options().option3)[5], -32);
    // Gains 1 / (1 + 128/32) = 0.2 and 1 + 127/32 = 4.96875 read back as the same bytes.
    gains[0] = -128;
    gains[63] = 127;
    control->setOption3(gains);
    EXPECT_EQ((*control->options().option3)[0], -128);
    EXPECT_EQ((*control->options().option3)[63], 127);
    control->closeInput();
    control->closeOutput();
    const std::vector<std::int16_t> full = rawPcm(dir / "plain.raw");
    const std::vector<std::int16_t> half = rawPcm(dir / "half.raw");
    ASSERT_EQ(full.size(), half.size());
    for (std::size_t i = 0; i < full.size(); ++i) ASSERT_LE(std::abs(2 * half[i] - full[i]), 2);
}

struct ToolRun {
    int exitCode;
    std::string output;
};

ToolRun mpunpack(const fs::path& in, const fs::path& out) {
    const auto tool = velt::test::binDir() / "mpunpack";
    const auto r = runCommand(shellQuote(tool.string()) + " " + shellQuote(in.string()) + " " +
                              shellQuote(out.string()));
    return {r.exitCode, r.output};
}

TEST(MpegCodec, NoDecodableFrameEndsWithUnsupportedFormat) {
    TempDir dir;
    std::vector<std::uint8_t> freeFormat;
    for (int i = 0; i < 10; ++i) test::append(freeFormat, test::frameBytes(0xfffd0000u));
    velt::test::writeFile(dir / "free.mp2", str(freeFormat));
    velt::test::writeFile(dir / "text.mp2", std::string(5000, 'a'));
    velt::test::writeFile(dir / "empty.mp2", "");
    for (const char* name : {"free.mp2", "text.mp2", "empty.mp2"}) {
        SCOPED_TRACE(name);
        const ToolRun r = mpunpack(dir / name, dir / "out.wav");
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.output.find("ERROR"), std::string::npos) << r.output;
        EXPECT_NE(r.output.find("(unsupported format)"), std::string::npos) << r.output;
    }
}

TEST(MpegCodec, DamagedFilesNeverCrashTheTool) {
    VELT_REQUIRE(missingEncoder());
    TempDir dir;
    const std::vector<std::uint8_t> mp2 = encode(dir, 44100, 2, "-b 192 -m j");
    ASSERT_FALSE(mp2.empty()) << "sox or twolame failed";
    std::vector<std::vector<std::uint8_t>> copies;
    copies.emplace_back(mp2.begin(), mp2.begin() + static_cast<long>(mp2.size() / 2 + 77));
    std::vector<std::uint8_t> flipped = mp2;
    for (std::size_t i = 50; i < flipped.size(); i += 97) flipped[i] ^= 0x5a;
    copies.push_back(flipped);
    std::vector<std::uint8_t> zeroed = mp2;
    std::fill(zeroed.begin() + 1000, zeroed.begin() + 6000, 0);
    copies.push_back(zeroed);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        SCOPED_TRACE(i);
        velt::test::writeFile(dir / "damaged.mp2", str(copies[i]));
        const ToolRun r = mpunpack(dir / "damaged.mp2", dir / "out.wav");
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.output, "DONE\n");
        const test::WavData wav = test::readWav(dir / "out.wav");
        EXPECT_EQ(wav.sampleRate, 44100);
        EXPECT_GT(wav.pcm.size(), 0u);
    }
}

}  // namespace
}  // namespace velt::mpeg
