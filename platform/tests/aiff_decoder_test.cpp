#include "platform/outside/aiff_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "audio_fixtures.h"
#include "platform/wav/wav_file.h"
#include "test_support.h"

namespace fs = std::filesystem;
using velt::platform::outside::DecodeAiff;
using velt::test::TempDir;
namespace aiff = velt::platform::outside::aiff;
namespace wav = velt::platform::wav;

namespace {

std::vector<unsigned char> dataOf(const fs::path& wave) {
    std::optional<wav::Layout> layout = wav::readLayout(wave);
    if (!layout) return {};
    std::vector<unsigned char> bytes = velt::test::readBytes(wave);
    return {bytes.begin() + static_cast<long>(layout->dataOffset),
            bytes.begin() + static_cast<long>(layout->dataOffset + layout->dataBytes)};
}

// The offset of a chunk's id in an AIFF file's bytes.
size_t chunkAt(const std::vector<unsigned char>& bytes, const std::string& id) {
    auto at = std::search(bytes.begin() + 12, bytes.end(), id.begin(), id.end());
    return at == bytes.end() ? 0 : static_cast<size_t>(at - bytes.begin());
}

void putBe32(std::vector<unsigned char>& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}
uint32_t be32(const std::vector<unsigned char>& bytes, size_t at) {
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 |
           uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

void writeBytes(const fs::path& file, const std::vector<unsigned char>& bytes) {
    velt::test::writeFile(file, std::string(bytes.begin(), bytes.end()));
}

// A 16-bit AIFC file turned into its "sowt" twin: the same samples stored little-endian.
void makeSowt(const fs::path& aifc, const fs::path& out) {
    std::vector<unsigned char> bytes = velt::test::readBytes(aifc);
    const size_t comm = chunkAt(bytes, "COMM");
    ASSERT_NE(comm, 0u);
    ASSERT_TRUE(std::equal(bytes.begin() + comm + 26, bytes.begin() + comm + 30, "NONE"));
    std::copy_n("sowt", 4, bytes.begin() + comm + 26);
    const size_t ssnd = chunkAt(bytes, "SSND");
    ASSERT_NE(ssnd, 0u);
    const size_t end = ssnd + 8 + be32(bytes, ssnd + 4);
    for (size_t i = ssnd + 16; i + 1 < end; i += 2) std::swap(bytes[i], bytes[i + 1]);
    writeBytes(out, bytes);
}

}  // namespace

TEST(AiffDecoder, MatchesSoxsOwnWaveSampleForSample) {
    TempDir dir;
    struct Case {
        int bits, channels;
        const char* extension;
        bool sowt;
    };
    std::vector<Case> cases;
    for (int bits : {8, 16, 24, 32})
        for (int channels : {1, 2})
            for (const char* extension : {"aiff", "aifc"})
                cases.push_back({bits, channels, extension, false});
    cases.push_back({16, 2, "aifc", true});
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.bits) + "-" + std::to_string(c.channels) +
                                 (c.sowt ? "-sowt." : ".") + c.extension;
        SCOPED_TRACE(name);
        const fs::path source = dir / ("sox-" + name);
        ASSERT_TRUE(velt::test::makeMelody(
            source, {.rate = 22050, .channels = c.channels, .bits = c.bits, .noteSeconds = 0.1}));
        const fs::path reference = dir / (name + ".sox.wav");
        ASSERT_EQ(velt::test::runCommand("sox " + velt::test::shellQuote(source.string()) + " " +
                                         velt::test::shellQuote(reference.string()))
                      .exitCode,
                  0);
        fs::path input = source;
        if (c.sowt) {
            input = dir / name;
            makeSowt(source, input);
        }
        const fs::path out = dir / (name + ".wav");
        ASSERT_EQ(DecodeAiff(input.string(), out.string()), 0);
        std::optional<wav::Layout> layout = wav::readLayout(out);
        ASSERT_TRUE(layout);
        EXPECT_TRUE(layout->isPcm());
        EXPECT_EQ(layout->channels, c.channels);
        EXPECT_EQ(layout->sampleRate, 22050u);
        EXPECT_EQ(layout->bitsPerSample, c.bits);
        EXPECT_EQ(layout->frames(), 4u * 2205u);
        EXPECT_TRUE(dataOf(out) == dataOf(reference)) << "samples differ from sox's decode";
    }
}

TEST(AiffDecoder, RefusesWhatItCannotDecodeAndLeavesNoFileBehind) {
    TempDir dir;
    const fs::path good = dir / "good.aifc";
    ASSERT_TRUE(velt::test::makeMelody(good, {.rate = 11025, .channels = 1, .noteSeconds = 0.05}));
    const std::vector<unsigned char> bytes = velt::test::readBytes(good);
    const size_t comm = chunkAt(bytes, "COMM");
    const size_t ssnd = chunkAt(bytes, "SSND");
    ASSERT_TRUE(comm != 0 && ssnd != 0);
    using Patch = std::function<void(std::vector<unsigned char>&)>;
    velt::test::MelodySpec rate48k{.rate = 48000, .channels = 1, .noteSeconds = 0.05};
    velt::test::MelodySpec threeChannels{.rate = 11025, .channels = 3, .noteSeconds = 0.05};
    struct Row {
        const char* name;
        int16_t expected;
        std::function<void(const fs::path&)> make;
    };
    auto patched = [&](Patch patch) {
        return [&bytes, patch](const fs::path& file) {
            std::vector<unsigned char> copy = bytes;
            patch(copy);
            writeBytes(file, copy);
        };
    };
    const Row rows[] = {
        {"missing", aiff::kSourceMissing, [](const fs::path&) {}},
        {"text", aiff::kNotAiff,
         [](const fs::path& f) { velt::test::writeFile(f, "just some text, renamed .aiff\n"); }},
        {"a folder", aiff::kReadError, [](const fs::path& f) { fs::create_directory(f); }},
        {"no COMM", aiff::kNoCommon,
         patched([comm](auto& b) { std::copy_n("CXMM", 4, b.begin() + comm); })},
        {"no SSND", aiff::kNoSoundData,
         patched([ssnd](auto& b) { std::copy_n("SXND", 4, b.begin() + ssnd); })},
        {"float compression", aiff::kCompression,
         patched([comm](auto& b) { std::copy_n("fl32", 4, b.begin() + comm + 26); })},
        {"12 bits", aiff::kBits, patched([comm](auto& b) { b[comm + 15] = 12; })},
        {"offset", aiff::kOffset, patched([ssnd](auto& b) { b[ssnd + 11] = 4; })},
        {"block size", aiff::kBlockSize, patched([ssnd](auto& b) { b[ssnd + 15] = 4; })},
        {"frame count beyond the data", aiff::kTruncated,
         patched([comm](auto& b) { putBe32(b, comm + 10, be32(b, comm + 10) + 1000); })},
        {"cut off", aiff::kTruncated, patched([](auto& b) { b.resize(b.size() - 101); })},
        {"48 kHz", aiff::kSampleRate,
         [&](const fs::path& f) { ASSERT_TRUE(velt::test::makeMelody(f, rate48k)); }},
        {"3 channels", aiff::kChannels,
         [&](const fs::path& f) { ASSERT_TRUE(velt::test::makeMelody(f, threeChannels)); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path source = dir / (std::string(row.name) + ".aifc");
        row.make(source);
        const fs::path out = dir / (std::string(row.name) + ".wav");
        EXPECT_EQ(DecodeAiff(source.string(), out.string()), row.expected);
        EXPECT_FALSE(fs::exists(out));
    }
    // The WAV file can't be made: a missing folder, or the source itself.
    EXPECT_EQ(DecodeAiff(good.string(), (dir / "no/such/folder.wav").string()),
              aiff::kCannotCreate);
    EXPECT_EQ(DecodeAiff(good.string(), good.string()), aiff::kCannotCreate);
    EXPECT_EQ(velt::test::readBytes(good), bytes);
}
