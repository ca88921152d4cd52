// mpunpack end to end on streams that stray from one steady format, and on outputs that fail:
// padded frames at 32 and 48 kHz, mono and stereo parts in one stream, a rate change, a file
// that holds only an encoder's information frame, a pipe closed early and a full device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "mpeg/frame_header.h"
#include "test_support.h"
#include "wav_bytes.h"

namespace velt::mp3 {
namespace {

namespace fs = std::filesystem;
using velt::test::readBytes;
using velt::test::readFile;
using velt::test::runCommand;
using velt::test::shellQuote;

std::string q(const fs::path& p) {
    return shellQuote(p.string());
}

std::string mpunpack() {
    return q(velt::test::binDir() / "mpunpack");
}

void run(const std::string& command) {
    const auto r = runCommand(command + " 2>&1");
    ASSERT_EQ(r.exitCode, 0) << command << "\n" << r.output;
}

std::vector<std::int16_t> samplesOf(const std::vector<unsigned char>& bytes, std::size_t from) {
    std::vector<std::int16_t> samples((bytes.size() - std::min(from, bytes.size())) / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(bytes[from + 2 * i] | bytes[from + 2 * i + 1] << 8);
    }
    return samples;
}

// mpg123's decode of a file: raw 16-bit samples in the file's own layout.
std::vector<std::int16_t> referenceDecode(const fs::path& mp3, const fs::path& raw) {
    run("mpg123 -q --no-gapless -s " + q(mp3) + " > " + q(raw));
    return samplesOf(readBytes(raw), 0);
}

// mpunpack's WAV: its header and samples.
struct Wav {
    wavbytes::Header header;
    std::vector<std::int16_t> samples;
};
Wav readWav(const fs::path& file) {
    const std::string bytes = readFile(file);
    Wav wav;
    wav.header = wavbytes::readHeader(bytes);
    wav.samples = samplesOf(std::vector<unsigned char>(bytes.begin(), bytes.end()), 44);
    return wav;
}

// Same length, and "full accuracy": RMS difference below 0.289 LSB, no sample off by more than 2.
void expectFullAccuracy(const std::vector<std::int16_t>& ours,
                        const std::vector<std::int16_t>& reference) {
    ASSERT_FALSE(reference.empty());
    ASSERT_EQ(ours.size(), reference.size());
    double sum = 0;
    int worst = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        const int e = ours[i] - reference[i];
        sum += double(e) * e;
        worst = std::max(worst, std::abs(e));
    }
    EXPECT_LT(std::sqrt(sum / double(ours.size())), 0.289);
    EXPECT_LE(worst, 2);
}

// Sets the padding bit on every other frame of a Layer II or III file without a bit reservoir
// (lame --nores, or Layer II), and adds the byte the bit promises at the frame's end.
std::vector<unsigned char> padEveryOtherFrame(const std::vector<unsigned char>& in, int* padded) {
    std::vector<unsigned char> out;
    std::size_t at = 0;
    int frame = 0;
    *padded = 0;
    while (at + 4 <= in.size()) {
        const std::uint32_t h = std::uint32_t(in[at]) << 24 | std::uint32_t(in[at + 1]) << 16 |
                                std::uint32_t(in[at + 2]) << 8 | in[at + 3];
        if ((h & 0xffe00000u) != 0xffe00000u) return {};  // not a plain run of frames
        const bool mpeg1 = (h >> 19) & 1;
        const int layer = 4 - int((h >> 17) & 3);
        static constexpr int kL2[16] = {0,   32,  48,  56,  64,  80,  96,  112,
                                        128, 160, 192, 224, 256, 320, 384, 0};
        static constexpr int kL3[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                        112, 128, 160, 192, 224, 256, 320, 0};
        static constexpr int kRates[4] = {44100, 48000, 32000, 0};
        if (!mpeg1 || (layer != 2 && layer != 3) || ((h >> 9) & 1)) return {};
        const int kbps = (layer == 2 ? kL2 : kL3)[(h >> 12) & 15];
        const int rate = kRates[(h >> 10) & 3];
        if (kbps == 0 || rate == 0) return {};
        const std::size_t bytes = std::size_t(kbps) * 144000 / rate;
        if (at + bytes > in.size()) return {};
        const std::size_t start = out.size();
        out.insert(out.end(), in.begin() + at, in.begin() + at + bytes);
        if (frame++ % 2 == 1) {
            out[start + 2] |= 0x02;
            out.push_back(0);
            ++*padded;
        }
        at += bytes;
    }
    return at == in.size() ? out : std::vector<unsigned char>{};
}

TEST(MpunpackStreams, PaddedFramesAt32And48kHzDecodeWhole) {
    struct Case {
        const char* name;
        int rate;
        const char* encode;  // source.wav to plain.mp3
    };
    const Case cases[] = {
        {"Layer III 32 kHz", 32000, "lame --quiet -t --nores -b 128"},
        {"Layer III 48 kHz", 48000, "lame --quiet -t --nores -b 160"},
        {"Layer II 32 kHz", 32000, "twolame --quiet -b 192"},
        {"Layer II 48 kHz", 48000, "twolame --quiet -b 256"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        velt::test::TempDir dir;
        run("cd " + q(dir.path()) + " && sox -D -n -r " + std::to_string(c.rate) +
            " -c 2 -b 16 source.wav synth 1.5 sine 200-3000 pinknoise gain -9 && " + c.encode +
            " source.wav plain.mp3");
        int padded = 0;
        const auto bytes = padEveryOtherFrame(readBytes(dir / "plain.mp3"), &padded);
        ASSERT_GT(padded, 10);
        velt::test::writeFile(dir / "padded.mp3", std::string(bytes.begin(), bytes.end()));

        const auto r =
            runCommand(mpunpack() + " " + q(dir / "padded.mp3") + " " + q(dir / "out.wav"));
        EXPECT_EQ(r.output, "DONE\n");
        // Every frame decoded: as many samples as mpg123 gives for the file without padding.
        expectFullAccuracy(readWav(dir / "out.wav").samples,
                           referenceDecode(dir / "plain.mp3", dir / "plain.raw"));
    }
}

// Thirty seconds of lame-encoded stereo, for the output failures: far more input than the first
// failed write needs, so that a run that went on decoding after it shows in the bytes it read.
fs::path longStream(const velt::test::TempDir& dir) {
    run("cd " + q(dir.path()) +
        " && sox -D -n -r 44100 -c 2 -b 16 source.wav synth 30 sine 300-2000 pinknoise gain -9"
        " && lame --quiet -b 128 source.wav long.mp3");
    return dir / "long.mp3";
}

// Feeds a file to standard output and writes how many bytes the reader took (until it went
// away) into a second file.
constexpr const char* kFeeder = R"(import os, sys
data = open(sys.argv[1], 'rb').read()
fed = 0
try:
    while fed < len(data):
        fed += os.write(1, data[fed:fed + 4096])
except BrokenPipeError:
    pass
open(sys.argv[2], 'w').write(str(fed))
)";

TEST(MpunpackStreams, AFailingOutputEndsTheRunWithTheWriteFailure) {
    velt::test::TempDir dir;
    const fs::path mp3 = longStream(dir);
    const auto size = fs::file_size(mp3);
    velt::test::writeFile(dir / "feed.py", kFeeder);
    run(mpunpack() + " " + q(mp3) + " " + q(dir / "whole.wav"));
    const Wav whole = readWav(dir / "whole.wav");

    const std::string feed =
        "/usr/bin/python3 " + q(dir / "feed.py") + " " + q(mp3) + " " + q(dir / "fed.txt") + " | ";
    const std::string status = " " + q(dir / "status.txt");
    const std::string rc = "; echo $? >" + q(dir / "rc.txt");
    const std::string failed = "ERROR: Cannot write to wav file (write failed";
    struct Case {
        const char* name;
        std::string command;  // run by bash
        std::string line;
        fs::path wav;  // a file whose header must describe it, if any
    };
    const Case cases[] = {
        // The reader takes 1000 bytes and goes away: the next writes meet a closed pipe.
        {"pipe closed early",
         "{ " + feed + mpunpack() + " - -" + status + " 2>" + q(dir / "out.txt") + rc +
             "; } | head -c 1000 >/dev/null",
         failed + ", Broken pipe)",
         {}},
        // Nothing reaches the device, not even the header.
        {"full device",
         feed + mpunpack() + " - /dev/full" + status + " >" + q(dir / "out.txt") + rc,
         failed + ", No space left on device, header not written)",
         {}},
        // The file may grow to 100 KiB: the write that would pass it fails.
        {"file size limit",
         "ulimit -f 100; " + feed + mpunpack() + " - " + q(dir / "limited.wav") + status + " >" +
             q(dir / "out.txt") + rc,
         failed + ", File too large)", dir / "limited.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runCommand("bash -c " + shellQuote(c.command));
        EXPECT_EQ(readFile(dir / "rc.txt"), "1\n");
        EXPECT_EQ(readFile(dir / "out.txt"), c.line + "\n");
        EXPECT_EQ(readFile(dir / "status.txt"), c.line + "\r\n");
        // Decoding stopped at the failure: the reader went away long before the input's end
        // (a pipe holds 64 KiB at most, the first write needs some 25 KiB of input).
        EXPECT_LT(std::stoull(readFile(dir / "fed.txt")), size / 3);
        if (c.wav.empty()) continue;
        // The header counts the whole sample frames in the file, and they are the decode's
        // first ones.
        const Wav wav = readWav(c.wav);
        EXPECT_EQ(fs::file_size(c.wav), wav.header.dataSize + 44u);
        EXPECT_EQ(wav.header.dataSize, wav.samples.size() * 2);
        EXPECT_EQ(wav.header.riffSize, wav.header.dataSize + 36);
        EXPECT_EQ(wav.header.dataSize % 4, 0u);
        ASSERT_LE(wav.samples.size(), whole.samples.size());
        EXPECT_TRUE(std::equal(wav.samples.begin(), wav.samples.end(), whole.samples.begin()));
    }
}

TEST(MpunpackStreams, MonoAndStereoPartsKeepTheFirstFramesLayout) {
    velt::test::TempDir dir;
    // Each part fades in and out, so that what the filters carry over a part boundary is silence
    // both here and in the reference decodes of the parts on their own.
    run("cd " + q(dir.path()) +
        " && sox -D -n -r 44100 -c 2 -b 16 s.wav synth 1 sine 300-900 sine 500 pinknoise gain -10"
        " fade 0.1 1 0.1 && sox -D -n -r 44100 -c 1 -b 16 m.wav synth 1 sine 700 pinknoise"
        " gain -10 fade 0.1 1 0.1 && lame --quiet -t -b 128 s.wav s.mp3"
        " && lame --quiet -t -b 64 m.wav m.mp3"
        " && cat s.mp3 m.mp3 s.mp3 > sms.mp3 && cat m.mp3 s.mp3 > ms.mp3");
    const auto stereo = referenceDecode(dir / "s.mp3", dir / "s.raw");
    const auto mono = referenceDecode(dir / "m.mp3", dir / "m.raw");

    std::vector<std::int16_t> sms = stereo;  // mono parts duplicated into both channels
    for (std::int16_t s : mono) sms.insert(sms.end(), {s, s});
    sms.insert(sms.end(), stereo.begin(), stereo.end());
    std::vector<std::int16_t> ms = mono;  // stereo parts mixed to (L + R) / 2
    for (std::size_t i = 0; i + 1 < stereo.size(); i += 2) {
        ms.push_back(static_cast<std::int16_t>((stereo[i] + stereo[i + 1]) / 2));
    }

    struct Case {
        const char* file;
        int channels;
        const std::vector<std::int16_t>& expected;
    };
    for (const Case& c : {Case{"sms.mp3", 2, sms}, Case{"ms.mp3", 1, ms}}) {
        SCOPED_TRACE(c.file);
        const auto r = runCommand(mpunpack() + " " + q(dir / c.file) + " " + q(dir / "out.wav"));
        EXPECT_EQ(r.output, "DONE\n");
        const Wav wav = readWav(dir / "out.wav");
        EXPECT_EQ(wav.header.channels, c.channels);
        EXPECT_EQ(wav.header.sampleRate, 44100u);
        EXPECT_EQ(wav.header.dataSize, wav.samples.size() * 2);
        expectFullAccuracy(wav.samples, c.expected);
    }
}

TEST(MpunpackStreams, ARateChangeEndsTheOutputThereWithItsOwnLine) {
    struct Case {
        const char* name;
        const char* first;   // sox options of the first part
        const char* kbps;    // lame's bit rate for it
        const char* second;  // sox options of the part joined to it
        int channels;
        unsigned rate;
    };
    const Case cases[] = {
        {"22.05 kHz mono, then 44.1 kHz stereo", "-r 22050 -c 1", "48", "-r 44100 -c 2", 1, 22050},
        {"44.1 kHz stereo, then 48 kHz stereo", "-r 44100 -c 2", "128", "-r 48000 -c 2", 2, 44100},
    };
    const std::string line = "ERROR: Cannot decode mp3 file (sample rate changed)";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        velt::test::TempDir dir;
        run("cd " + q(dir.path()) + " && sox -D -n " + c.first +
            " -b 16 a.wav synth 1 sine 500 pinknoise gain -10 && sox -D -n " + c.second +
            " -b 16 b.wav synth 1 sine 300-900 pinknoise gain -10"
            " && lame --quiet -t -b " +
            c.kbps +
            " a.wav a.mp3 && lame --quiet -t -b 128 b.wav b.mp3"
            " && cat a.mp3 b.mp3 > both.mp3");
        const auto r = runCommand(mpunpack() + " " + q(dir / "both.mp3") + " " +
                                  q(dir / "out.wav") + " " + q(dir / "status.txt"));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.output, line + "\n");
        EXPECT_EQ(readFile(dir / "status.txt"), line + "\r\n");
        // The first part, whole, under a header that describes it.
        const Wav wav = readWav(dir / "out.wav");
        EXPECT_EQ(wav.header.channels, c.channels);
        EXPECT_EQ(wav.header.sampleRate, c.rate);
        EXPECT_EQ(wav.header.dataSize, wav.samples.size() * 2);
        expectFullAccuracy(wav.samples, referenceDecode(dir / "a.mp3", dir / "a.raw"));
    }
}

// Where each frame of a plain run of frames starts.
std::vector<std::size_t> frameStarts(const std::vector<unsigned char>& bytes) {
    std::vector<std::size_t> starts;
    std::size_t at = 0;
    while (at + 4 <= bytes.size()) {
        const auto h = mpeg::parseFrameHeader(std::uint32_t(bytes[at]) << 24 |
                                              std::uint32_t(bytes[at + 1]) << 16 |
                                              std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3]);
        if (!mpeg::isValidHeader(h)) break;
        starts.push_back(at);
        at += static_cast<std::size_t>(h.frameBytes());
    }
    return starts;
}

// One bit hit in the version, layer or sampling rate field of one frame's header, in the middle
// of a long file: that frame is lost, nothing else; no rate change is seen.
TEST(MpunpackStreams, OneHitHeaderBitLosesOneFrameNotTheRest) {
    velt::test::TempDir dir;
    run("cd " + q(dir.path()) +
        " && sox -D -n -r 44100 -c 2 -b 16 source.wav synth 20 sine 200-3000 sine 440 pinknoise"
        " gain -10 && lame --quiet -t -b 128 source.wav long.mp3"
        " && twolame --quiet -b 192 source.wav long.mp2");
    struct Case {
        const char* name;
        const char* file;
        int bit;  // of the header word (31 = the first byte's top bit)
    };
    const Case cases[] = {
        {"Layer III, 44.1 to 48 kHz", "long.mp3", 10},
        {"Layer III, 44.1 to 32 kHz", "long.mp3", 11},
        {"Layer III, MPEG-1 to MPEG-2", "long.mp3", 19},
        {"Layer III to Layer I", "long.mp3", 18},
        {"Layer II, 44.1 to 48 kHz", "long.mp2", 10},
        {"Layer II, MPEG-1 to MPEG-2", "long.mp2", 19},
        {"Layer II to Layer I", "long.mp2", 17},
    };
    constexpr std::size_t kHit = 400;  // the damaged frame
    constexpr std::size_t kFrame = 1152 * 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = readBytes(dir / c.file);
        const auto starts = frameStarts(bytes);
        ASSERT_GT(starts.size(), kHit + 100);
        const std::size_t at = starts[kHit] + 3 - static_cast<std::size_t>(c.bit / 8);
        bytes[at] ^= static_cast<unsigned char>(1u << (c.bit % 8));
        const auto damaged = mpeg::parseFrameHeader(std::uint32_t(bytes[starts[kHit]]) << 24 |
                                                    std::uint32_t(bytes[starts[kHit] + 1]) << 16 |
                                                    std::uint32_t(bytes[starts[kHit] + 2]) << 8 |
                                                    bytes[starts[kHit] + 3]);
        ASSERT_TRUE(mpeg::isValidHeader(damaged));  // a header that looks like another stream's
        velt::test::writeFile(dir / "damaged", std::string(bytes.begin(), bytes.end()));

        const auto r = runCommand(mpunpack() + " " + q(dir / "damaged") + " " + q(dir / "out.wav"));
        EXPECT_EQ(r.output, "DONE\n");
        EXPECT_EQ(r.exitCode, 0);
        const Wav wav = readWav(dir / "out.wav");
        EXPECT_EQ(wav.header.sampleRate, 44100u);
        EXPECT_EQ(wav.header.dataSize, wav.samples.size() * 2);
        const auto reference = referenceDecode(dir / c.file, dir / "reference.raw");
        ASSERT_EQ(wav.samples.size() + kFrame, reference.size());
        // Up to the damaged frame as the whole file decodes; some frames on (once the filters'
        // memory and the bit reservoir have moved past the gap), one frame behind it.
        const auto part = [](const std::vector<std::int16_t>& v, std::size_t from, std::size_t to) {
            return std::vector<std::int16_t>(v.begin() + static_cast<std::ptrdiff_t>(from),
                                             v.begin() + static_cast<std::ptrdiff_t>(to));
        };
        expectFullAccuracy(part(wav.samples, 0, kHit * kFrame), part(reference, 0, kHit * kFrame));
        const std::size_t after = (kHit + 10) * kFrame;
        expectFullAccuracy(part(wav.samples, after, wav.samples.size()),
                           part(reference, after + kFrame, reference.size()));
    }
}

TEST(MpunpackStreams, AnInformationFrameAloneIsNoAudio) {
    for (const char* encode : {"-b 128", "-V 4"}) {  // an "Info" and a "Xing" frame
        SCOPED_TRACE(encode);
        velt::test::TempDir dir;
        run("cd " + q(dir.path()) +
            " && sox -D -n -r 44100 -c 2 -b 16 s.wav synth 1 sine 440 gain -10 && lame --quiet " +
            encode + " s.wav full.mp3");
        // The first frame alone: lame puts its tag there.
        const auto full = readBytes(dir / "full.mp3");
        ASSERT_GT(full.size(), 2000u);
        const std::string tag(full.begin() + 36, full.begin() + 40);
        ASSERT_TRUE(tag == "Info" || tag == "Xing") << tag;
        const auto header =
            mpeg::parseFrameHeader(std::uint32_t(full[0]) << 24 | std::uint32_t(full[1]) << 16 |
                                   std::uint32_t(full[2]) << 8 | full[3]);
        ASSERT_TRUE(mpeg::isValidHeader(header));
        const auto end = full.begin() + header.frameBytes();
        velt::test::writeFile(dir / "tag.mp3", std::string(full.begin(), end));

        const auto r = runCommand(mpunpack() + " " + q(dir / "tag.mp3") + " " + q(dir / "out.wav"));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.output, "ERROR: Cannot decode mp3 file (unsupported format)\n");
        EXPECT_EQ(readWav(dir / "out.wav").header.dataSize, 0u);
        // With its audio the same file still decodes as a whole.
        EXPECT_EQ(
            runCommand(mpunpack() + " " + q(dir / "full.mp3") + " " + q(dir / "out.wav")).output,
            "DONE\n");
    }
}

}  // namespace
}  // namespace velt::mp3
