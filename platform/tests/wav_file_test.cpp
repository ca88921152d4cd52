#include "platform/wav/wav_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"

namespace test = velt::test;
namespace wav = velt::platform::wav;

namespace {

std::filesystem::path soxWav(const test::TempDir& dir, const std::string& name,
                             const std::string& format) {
    const auto file = dir / name;
    auto result = test::runCommand("sox -D -n " + format + " " + test::shellQuote(file.string()) +
                                   " synth 0.5 sine 440 vol 0.5 2>&1");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return file;
}

struct SoxCase {
    std::string format;
    uint16_t channels;
    uint16_t bits;
    uint32_t rate;
};

}  // namespace

// sox writes 24- and 32-bit files with the extensible header; their PCM subformat reads as PCM,
// float stays float.
TEST(WavLayout, ReadsWhatSoxWrites) {
    test::TempDir dir;
    const std::vector<SoxCase> cases = {
        {"-r 44100 -c 1 -b 8", 1, 8, 44100},
        {"-r 22050 -c 2 -b 16", 2, 16, 22050},
        {"-r 48000 -c 2 -b 24", 2, 24, 48000},
        {"-r 44100 -c 1 -b 32", 1, 32, 44100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        const auto file = soxWav(dir, "t.wav", c.format);
        wav::ReadProblem problem;
        const auto layout = wav::readLayout(file, &problem);
        ASSERT_TRUE(layout) << static_cast<int>(problem);
        EXPECT_TRUE(layout->isPcm());
        EXPECT_EQ(layout->channels, c.channels);
        EXPECT_EQ(layout->bitsPerSample, c.bits);
        EXPECT_EQ(layout->sampleRate, c.rate);
        EXPECT_EQ(layout->frames(), c.rate / 2);
        EXPECT_EQ(layout->dataOffset + layout->dataBytes, layout->fileBytes);
    }
    const auto floating = soxWav(dir, "f.wav", "-r 44100 -c 1 -e floating-point -b 32");
    const auto layout = wav::readLayout(floating);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->formatTag, wav::kTagFloat);
}

// A LIST chunk before the audio (whose text holds "data") is walked over, not searched into.
TEST(WavLayout, WalksOverChunksBeforeTheData) {
    test::TempDir dir;
    const auto source = soxWav(dir, "s.wav", "-r 8000 -c 1 -b 16");
    auto bytes = test::readBytes(source);
    const auto plain = wav::readLayout(source);
    ASSERT_TRUE(plain);
    // Insert "LIST" with an odd-sized body mentioning data, padded to even, before "data".
    const std::string body = "INFOICMT\x05\0\0\0data\0";
    std::vector<unsigned char> chunk = {'L', 'I', 'S', 'T', static_cast<unsigned char>(body.size()),
                                        0,   0,   0};
    chunk.insert(chunk.end(), body.begin(), body.end());
    if (body.size() & 1) chunk.push_back(0);
    const size_t at = plain->dataOffset - 8;
    bytes.insert(bytes.begin() + static_cast<long>(at), chunk.begin(), chunk.end());
    const auto edited = dir / "list.wav";
    test::writeFile(edited, std::string(bytes.begin(), bytes.end()));
    const auto layout = wav::readLayout(edited);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->dataOffset, plain->dataOffset + chunk.size());
    EXPECT_EQ(layout->dataBytes, plain->dataBytes);
}

TEST(WavLayout, RefusesWhatIsNotAWavFile) {
    test::TempDir dir;
    const auto good = test::readBytes(soxWav(dir, "g.wav", "-r 8000 -c 1 -b 16"));
    struct Case {
        std::string name;
        std::string content;
        wav::ReadProblem problem;
    };
    const std::vector<Case> cases = {
        {"empty", "", wav::ReadProblem::NotRiff},
        {"text", "just some words, not audio", wav::ReadProblem::NotRiff},
        {"header only", std::string(good.begin(), good.begin() + 12), wav::ReadProblem::NoFormat},
        {"cut format", std::string(good.begin(), good.begin() + 28), wav::ReadProblem::NoFormat},
        {"no data", std::string(good.begin(), good.begin() + 36), wav::ReadProblem::NoData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(dir / "x.wav", c.content);
        wav::ReadProblem problem;
        EXPECT_FALSE(wav::readLayout(dir / "x.wav", &problem));
        EXPECT_EQ(problem, c.problem);
    }
    wav::ReadProblem problem;
    EXPECT_FALSE(wav::readLayout(dir / "none.wav", &problem));
    EXPECT_EQ(problem, wav::ReadProblem::Missing);
    EXPECT_FALSE(wav::readLayout(dir.path(), &problem));
    EXPECT_EQ(problem, wav::ReadProblem::Unreadable);
}

// A take cut short (RIFF and data sizes larger than the file) still reads, held to the file.
TEST(WavLayout, HoldsAnUnfinishedDataChunkToTheFile) {
    test::TempDir dir;
    auto bytes = test::readBytes(soxWav(dir, "g.wav", "-r 8000 -c 1 -b 16"));
    const auto layout = wav::readLayout(dir / "g.wav");
    ASSERT_TRUE(layout);
    for (int i = 0; i < 4; ++i) bytes[layout->dataOffset - 4 + i] = 0xFF;
    bytes.resize(bytes.size() - 101);
    test::writeFile(dir / "cut.wav", std::string(bytes.begin(), bytes.end()));
    const auto cut = wav::readLayout(dir / "cut.wav");
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->dataBytes, layout->dataBytes - 101);
}

TEST(WavWriter, WritesAFileSoxReadsBack) {
    test::TempDir dir;
    const auto file = dir / "out with blanks.wav";
    wav::Writer writer;
    ASSERT_TRUE(writer.open(file, {2, 22050, 16}));
    std::vector<int16_t> frames(2 * 22050);
    for (size_t i = 0; i < frames.size(); ++i) frames[i] = static_cast<int16_t>(i % 2000 - 1000);
    ASSERT_TRUE(writer.write(frames.data(), frames.size() * 2));
    ASSERT_TRUE(writer.close());
    const auto soxi = test::runCommand("soxi -s " + test::shellQuote(file.string()));
    EXPECT_EQ(soxi.output, "22050\n");
    const auto layout = wav::readLayout(file);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->dataOffset, 44u);
    EXPECT_EQ(layout->frames(), 22050u);
    EXPECT_EQ(layout->byteRate, 22050u * 4);
}

TEST(WavWriter, AnEmptyTakeIsAValidFile) {
    test::TempDir dir;
    wav::Writer writer;
    ASSERT_TRUE(writer.open(dir / "e.wav", {1, 44100, 16}));
    ASSERT_TRUE(writer.close());
    EXPECT_EQ(std::filesystem::file_size(dir / "e.wav"), 44u);
    const auto layout = wav::readLayout(dir / "e.wav");
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->dataBytes, 0u);
}

TEST(WavWriter, LeavesNoFileBehindWhenItFails) {
    test::TempDir dir;
    {
        wav::Writer dropped;
        ASSERT_TRUE(dropped.open(dir / "d.wav", {1, 8000, 8}));
        const unsigned char byte = 128;
        ASSERT_TRUE(dropped.write(&byte, 1));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "d.wav"));

    // Targets that are not regular files are refused and left alone.
    for (const char* device : {"/dev/full", "/dev/null"}) {
        wav::Writer writer;
        EXPECT_FALSE(writer.open(device, {1, 8000, 16})) << device;
        EXPECT_TRUE(std::filesystem::exists(device)) << device;
    }
    EXPECT_FALSE(wav::Writer().open(dir.path(), {1, 8000, 16}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path()));
    wav::Writer nowhere;
    EXPECT_FALSE(nowhere.open(dir / "missing" / "x.wav", {1, 8000, 16}));
    EXPECT_EQ(nowhere.error(), ENOENT);  // the system's reason is kept for the message
    EXPECT_FALSE(nowhere.open(dir / "x.wav", {1, 8000, 12}));
    EXPECT_EQ(nowhere.error(), 0);  // refused by the writer itself
}
