// The WAVE codec: 16-bit PCM WAV input passes through to the output sample for sample, whatever
// chunks surround the data; every other format and every damaged header is refused.
#include "modules/wave_codec.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/mpunpack_run.h"
#include "framework/module_types.h"
#include "test_support.h"
#include "wav_bytes.h"

namespace velt::mp3 {
namespace {

using namespace wavbytes;
using velt::test::readFile;
using velt::test::writeFile;

struct Outcome {
    int exitCode;
    std::string line;
};

class WaveCodecTest : public ::testing::Test {
  protected:
    Outcome decode(const std::string& inputName, const std::string& content) {
        const std::string in = (dir / inputName).string();
        writeFile(in, content);
        return decodeFile(in);
    }

    Outcome decodeFile(const std::string& in) {
        std::ostringstream out, err;
        const int code = runMpunpack({in, output()}, out, err);
        return {code, out.str()};
    }

    std::string output() const { return (dir / "out.wav").string(); }
    std::string outputData() const { return readFile(output()).substr(44); }

    // Makes a WAV with sox from a synthesized tone; sox arguments give the format.
    std::string sox(const std::string& name, const std::string& format) {
        const std::string path = (dir / name).string();
        const auto r =
            velt::test::runCommand("sox -D -n " + format + " " + velt::test::shellQuote(path) +
                                   " synth 0.3 sine 440 2>&1");
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return path;
    }

    velt::test::TempDir dir;
};

TEST_F(WaveCodecTest, SoxMadeSixteenBitFilesPassThroughSampleForSample) {
    struct Case {
        const char* name;
        const char* format;
        std::uint32_t channels, rate;
    };
    const Case cases[] = {
        {"mono.wav", "-r 22050 -c 1 -b 16", 1, 22050},
        {"stereo.wav", "-r 44100 -c 2 -b 16", 2, 44100},
        {"three.wav", "-r 8000 -c 3 -b 16", 3, 8000},  // extensible header with a fact chunk
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string in = sox(c.name, c.format);
        const auto raw = velt::test::runCommand("sox " + velt::test::shellQuote(in) + " -t raw -");
        ASSERT_FALSE(raw.output.empty());
        const Outcome o = decodeFile(in);
        EXPECT_EQ(o.exitCode, 0);
        EXPECT_EQ(o.line, "DONE\n");
        const auto h = readHeader(readFile(output()));
        EXPECT_EQ(h.channels, c.channels);
        EXPECT_EQ(h.sampleRate, c.rate);
        EXPECT_EQ(h.dataSize, raw.output.size());
        EXPECT_TRUE(outputData() == raw.output);
    }
}

TEST_F(WaveCodecTest, OtherSampleFormatsAreRefused) {
    const char* formats[] = {"-r 8000 -c 1 -b 8", "-r 8000 -c 1 -b 24", "-r 8000 -c 2 -b 32",
                             "-r 8000 -c 1 -e floating-point -b 32", "-r 8000 -c 1 -e u-law"};
    for (const char* format : formats) {
        SCOPED_TRACE(format);
        const Outcome o = decodeFile(sox("other.wav", format));
        EXPECT_EQ(o.exitCode, 1);
        EXPECT_EQ(o.line, "ERROR: Cannot open mp3 file (unsupported format)\n");
    }
}

TEST_F(WaveCodecTest, HandBuiltLayoutsDeliverExactlyTheDataChunk) {
    const std::string data = pattern(10000);
    const std::string fmt = fmtChunk(1, 2, 44100, 16);
    const std::string list = chunk("LIST", "INFOISFT" + le(5, 4) + "tool\0");
    struct Case {
        const char* name;
        std::string file;
        std::string expected;
    };
    const Case cases[] = {
        // 10000 bytes are two blocks of 4096 and a last piece of 1808: all of it comes out.
        {"canonical", riff(fmt + chunk("data", data)), data},
        {"list before data", riff(fmt + list + chunk("data", data)), data},
        {"odd chunk with pad byte", riff(chunk("junk", "abc") + fmt + chunk("data", data)), data},
        {"chunks after the data", riff(fmt + chunk("data", data.substr(0, 4000)) + list),
         data.substr(0, 4000)},
        {"data size 0: to the end", riff(fmt) + "data" + le(0, 4) + data, data},
        {"data size all ones: to the end", riff(fmt) + "data" + le(0xFFFFFFFF, 4) + data, data},
        {"data cut short mid-frame", riff(fmt + chunk("data", data)).substr(0, 44 + 4001),
         data.substr(0, 4000)},
        {"extensible PCM",
         riff(chunk("fmt ", fmtPayload(0xFFFE, 2, 44100, 16) + le(22, 2) + le(16, 2) + le(3, 4) +
                                std::string("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA"
                                            "\x00\x38\x9B\x71",
                                            16)) +
              chunk("data", data)),
         data},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome o = decode("in.wav", c.file);
        EXPECT_EQ(o.line, "DONE\n");
        EXPECT_TRUE(outputData() == c.expected) << outputData().size();
        EXPECT_EQ(readHeader(readFile(output())).dataSize, c.expected.size());
    }
}

TEST_F(WaveCodecTest, DamagedHeadersAreRefused) {
    const std::string data = pattern(400);
    const std::string fmt = fmtChunk(1, 2, 44100, 16);
    struct Case {
        const char* name;
        std::string file;
    };
    const Case cases[] = {
        {"not RIFF", "RIFX" + riff(fmt + chunk("data", data)).substr(4)},
        {"no fmt before data", riff(chunk("data", data) + fmt)},
        {"zero channels", riff(fmtChunk(1, 0, 44100, 16) + chunk("data", data))},
        {"zero rate", riff(fmtChunk(1, 2, 0, 16) + chunk("data", data))},
        {"short fmt chunk",
         riff(chunk("fmt ", fmtPayload(1, 2, 44100, 16).substr(0, 12)) + chunk("data", data))},
        {"extensible without PCM subformat",
         riff(chunk("fmt ", fmtPayload(0xFFFE, 2, 44100, 16) + le(22, 2) + le(16, 2) + le(3, 4) +
                                std::string(16, '\x07')) +
              chunk("data", data))},
        {"data header after byte 8191",
         riff(fmt + chunk("pad ", std::string(8200, '\0')) + chunk("data", data))},
        {"huge chunk before data", riff(fmt) + "junk" + le(0xFFFFFFF0, 4) + data},
        {"header cut short", riff(fmt).substr(0, 30)},
        {"text", "just some text in a file named like a WAV"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome o = decode("bad.wav", c.file);
        EXPECT_EQ(o.exitCode, 1);
        EXPECT_EQ(o.line, "ERROR: Cannot open mp3 file (unsupported format)\n");
    }
}

TEST(WaveCodecQuery, TakesWaveTypesAndNamesEndingInLowerCaseWav) {
    const auto query = waveCodecModule().query;
    EXPECT_EQ(query("unknown", "a.wav"), 0);
    EXPECT_EQ(query("audio/unknown", "dir.x/a.wav"), 0);
    EXPECT_EQ(query("audio", "a.b.wav"), 0);
    EXPECT_EQ(query("audio/wave", ""), 0);
    EXPECT_EQ(query("audio/x-wave", "a.mp3"), 0);
    EXPECT_EQ(query("unknown", "a.WAV"), -1);
    EXPECT_EQ(query("unknown", "a.mp3"), -1);
    EXPECT_EQ(query("unknown", "wav"), -1);
    EXPECT_EQ(query("unknown", ""), -1);
    EXPECT_EQ(query("audio/mpeg", "a.wav"), -1);

    ModuleDescription d;
    ASSERT_EQ(waveCodecModule().info(d, kInfoName | kInfoMaxOutput | kInfoDevice), 0);
    EXPECT_EQ(d.name, "WAVE Audio Codec");
    EXPECT_EQ(d.version, "Version 1.0");
    EXPECT_EQ(d.maxOutputBytes, 4096);
    EXPECT_EQ(d.deviceDescription, "audio/pcm");
}

}  // namespace
}  // namespace velt::mp3
