// WAV header reading and block input, on files made by sox and on headers damaged from them.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "audio/block_reader.h"
#include "audio/wave_header.h"
#include "driver/run_conversion.h"
#include "engine_fixtures.h"
#include "midicsv_reader.h"

namespace velt::engine::test {
namespace {

using Bytes = std::vector<unsigned char>;

void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}
void put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = v & 0xFF;
    b[at + 1] = v >> 8;
}
uint32_t get32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
size_t find(const Bytes& b, const char* tag) {
    for (size_t i = 0; i + 4 <= b.size(); ++i) {
        if (std::memcmp(b.data() + i, tag, 4) == 0) return i;
    }
    return std::string::npos;
}
WaveHeader parse(const Bytes& b) {
    return ParseWaveHeader(b, int64_t(b.size()));
}
void writeBytes(const fs::path& file, const Bytes& b) {
    velt::test::writeFile(file, std::string(b.begin(), b.end()));
}

// The outcome ReadWaveFileHeader throws for the file, nullopt when it reads the header (into
// header).
std::optional<RunOutcome> readFileHeader(const fs::path& path, WaveHeader& header) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    EXPECT_TRUE(file) << path;
    if (!file) return std::nullopt;
    try {
        header = ReadWaveFileHeader(file.get());
    } catch (const StageFailure& failure) {
        return failure.outcome;
    }
    return std::nullopt;
}

class WaveInput : public ::testing::Test {
  protected:
    velt::test::TempDir dir;
    Bytes monoTone = velt::test::readBytes(
        makeWav(dir / "sine_440hz_44100hz_1s_mono_16bit.wav", 44100, 16, 1, "1 sine 440"));
};

TEST_F(WaveInput, FormatsMadeBySox) {
    struct Case {
        int rate, bits, channels;
        const char* extra;
    };
    const Case cases[] = {
        {8000, 8, 1, "-e unsigned-integer"},
        {22050, 16, 2, ""},
        {44100, 24, 1, ""},
        {48000, 32, 2, ""},
        {96000, 16, 1, ""},
        {44100, 24, 2, ""},
    };
    for (const Case& c : cases) {
        std::string name = std::to_string(c.rate) + "_" + std::to_string(c.bits) + "_" +
                           std::to_string(c.channels) + ".wav";
        SCOPED_TRACE(name);
        fs::path wav = makeWav(dir / name, c.rate, c.bits, c.channels, "1 sine 440", c.extra);
        Bytes b = velt::test::readBytes(wav);
        WaveHeader h;
        ASSERT_FALSE(readFileHeader(wav, h)) << "read from the file";
        EXPECT_EQ(h.dataLength, parse(b).dataLength);
        ASSERT_EQ(h.outcomeType, 0);
        EXPECT_TRUE(h.riff);
        EXPECT_EQ(h.sampleRate, c.rate);
        EXPECT_EQ(h.bitsPerSample, c.bits);
        EXPECT_EQ(h.channels, c.channels);
        size_t data = find(b, "data");
        EXPECT_EQ(h.dataOffset, int64_t(data) + 32);
        EXPECT_LE(h.endOfData, int64_t(b.size()));
    }
}

TEST_F(WaveInput, CanonicalHeaderKeepsItsOffsets) {
    ASSERT_EQ(find(monoTone, "fmt "), 12u);
    ASSERT_EQ(find(monoTone, "data"), 36u);
    WaveHeader h = parse(monoTone);
    const int64_t riffSize = get32(monoTone, 4);
    EXPECT_EQ(h.dataOffset, 68);
    EXPECT_EQ(h.dataLength, riffSize - 142);
    EXPECT_EQ(h.endOfData, riffSize - 74);
}

TEST_F(WaveInput, DataRangeEndsAtTheEarliestEnd) {
    const uint32_t dataSize = get32(monoTone, 40);
    const int64_t chunkEnd = 44 + int64_t(dataSize);
    Bytes list = {'L', 'I', 'S', 'T', 92, 0, 0, 0};
    list.resize(100, 'x');

    Bytes listAfter = monoTone;
    listAfter.insert(listAfter.end(), list.begin(), list.end());
    put32(listAfter, 4, uint32_t(listAfter.size() - 8));
    EXPECT_EQ(parse(listAfter).endOfData, chunkEnd) << "chunks after the audio are not analysed";

    Bytes listBefore = monoTone;
    listBefore.insert(listBefore.begin() + 36, list.begin(), list.end());
    put32(listBefore, 4, uint32_t(listBefore.size() - 8));
    WaveHeader before = parse(listBefore);
    EXPECT_EQ(before.dataOffset, 36 + 100 + 32);
    EXPECT_EQ(before.endOfData, int64_t(listBefore.size()) - 8 - 74);

    Bytes unfinished = monoTone;
    put32(unfinished, 4, 0xFFFFFFFF);
    EXPECT_EQ(parse(unfinished).endOfData, chunkEnd);
    put32(unfinished, 40, 0xFFFFFFFF);
    EXPECT_EQ(parse(unfinished).endOfData, int64_t(unfinished.size()));

    // A writer that could not seek back leaves a RIFF size of 0 (or one ending before the
    // audio): read like 0xFFFFFFFF, to the end of the data chunk or of the file.
    for (uint32_t riffSize : {0u, 20u, 36u}) {
        SCOPED_TRACE(riffSize);
        Bytes streamed = monoTone;
        put32(streamed, 4, riffSize);
        EXPECT_EQ(parse(streamed).endOfData, chunkEnd);
        put32(streamed, 40, 0xFFFFFFFF);
        EXPECT_EQ(parse(streamed).endOfData, int64_t(streamed.size()));
    }
    // Sizes that end before the audio does are not believed either: a RIFF size that ends
    // inside the data chunk, a data size of 0 (the samples run to the end of the file, or of
    // the RIFF size when that covers the file).
    for (uint32_t riffSize : {37u, 37u + 74 + 1000, uint32_t(chunkEnd) - 9}) {
        SCOPED_TRACE(riffSize);
        Bytes shortRiff = monoTone;
        put32(shortRiff, 4, riffSize);
        EXPECT_EQ(parse(shortRiff).endOfData, chunkEnd);
    }
    Bytes noDataSize = monoTone;
    put32(noDataSize, 40, 0);
    EXPECT_EQ(parse(noDataSize).endOfData, int64_t(get32(monoTone, 4)) - 74);
    for (uint32_t riffSize : {0u, 40u, 1000u}) {
        SCOPED_TRACE(riffSize);
        put32(noDataSize, 4, riffSize);
        EXPECT_EQ(parse(noDataSize).endOfData, int64_t(noDataSize.size()));
    }

    Bytes truncated(monoTone.begin(), monoTone.begin() + 20000);
    WaveHeader cut = parse(truncated);
    EXPECT_EQ(cut.endOfData, 20000);
    EXPECT_EQ(cut.dataLength, 20000 - 68);
}

// The scale C D E F G A B C as sine tones with short rests, made by sox.
fs::path makeMelody(const fs::path& file) {
    std::string melody;
    const double keys[] = {60, 62, 64, 65, 67, 69, 71, 72};
    for (double key : keys) {
        if (!melody.empty()) melody += " : synth ";
        melody += "0.5 sine " + std::to_string(440 * std::pow(2.0, (key - 69) / 12)) +
                  " vol 0.5 pad 0 0.1";
    }
    return makeWav(file, 44100, 16, 1, melody);
}

// Converts the WAV with the built engine; the keys of its notes in order.
std::vector<int> convertedKeys(const fs::path& wav, const fs::path& dir) {
    fs::path midi = dir / "melody.mid";
    EngineRun result = runEngine(writeProject(dir / "p.vpr", timedProject(wav, midi)),
                                 dir / "status.txt", dir / "command.txt");
    EXPECT_EQ(statusValue(result.status), "100000.000");
    return velt::test::readMidi(midi).keysInOrder();
}

const std::vector<int> kMelodyKeys = {60, 62, 64, 65, 67, 69, 71, 72};

// A comment that contains "data" (written by ffmpeg into a LIST/INFO chunk before the audio) is
// not taken for the data chunk: the chunks are walked, and the melody converts whole.
TEST_F(WaveInput, ChunkTextThatSaysDataIsNotTheData) {
    fs::path plain = makeMelody(dir / "melody.wav");
    fs::path tagged = dir / "tagged.wav";
    auto made = velt::test::runCommand("ffmpeg -v error -y -i " + shellQuote(plain.string()) +
                                       " -metadata comment=\"see data x\" -c copy " +
                                       shellQuote(tagged.string()) + " 2>&1");
    ASSERT_EQ(made.exitCode, 0) << made.output;
    Bytes bytes = velt::test::readBytes(tagged);
    size_t list = find(bytes, "LIST");
    size_t comment = find(bytes, "see data");
    ASSERT_NE(list, std::string::npos);
    ASSERT_LT(list, comment);
    size_t data = list + 8 + get32(bytes, list + 4);
    ASSERT_EQ(std::memcmp(bytes.data() + data, "data", 4), 0);
    WaveHeader h = parse(bytes);
    EXPECT_EQ(h.dataOffset, int64_t(data) + 32);
    EXPECT_EQ(h.endOfData, std::min<int64_t>(get32(bytes, 4) - 74, int64_t(bytes.size())));

    EXPECT_EQ(convertedKeys(tagged, dir.path()), kMelodyKeys);
}

// A recording whose writer never went back to fill in the RIFF size converts whole, as sox and
// ffmpeg read it (before, it gave an empty MIDI file and success).
TEST_F(WaveInput, StreamingHeaderConvertsTheMelody) {
    fs::path wav = makeMelody(dir / "melody.wav");
    Bytes bytes = velt::test::readBytes(wav);
    put32(bytes, 4, 0);
    writeBytes(wav, bytes);
    auto seen = velt::test::runCommand("sox " + shellQuote(wav.string()) + " -n stat 2>&1");
    EXPECT_NE(seen.output.find("Length (seconds):      4.800000"), std::string::npos)
        << seen.output;
    EXPECT_EQ(convertedKeys(wav, dir.path()), kMelodyKeys);
}

// Size fields that end before the audio does, as writers that cannot seek back leave them, in a
// melody made by sox: every key is heard, as sox and ffmpeg read the file (before, a RIFF size
// ending inside the data chunk or a data size of 0 gave success and a MIDI file without notes).
// A data size past the end of the file is read to the end of the file.
TEST_F(WaveInput, SizesThatEndTooEarlyStillGiveTheWholeMelody) {
    const fs::path wav = makeMelody(dir / "melody.wav");
    const Bytes plain = velt::test::readBytes(wav);
    ASSERT_EQ(find(plain, "data"), 36u);
    struct Case {
        const char* name;
        std::optional<uint32_t> riffSize, dataSize;
    };
    const Case cases[] = {
        {"RIFF size 40", 40, std::nullopt},
        {"RIFF size 200", 200, std::nullopt},
        {"RIFF size 1000", 1000, std::nullopt},
        {"data size 0", std::nullopt, 0},
        {"data size 0, RIFF size 0", 0, 0},
        {"data size 0, RIFF size 1000", 1000, 0},
        {"data size past the end", std::nullopt, 0x7FFFFFF0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = plain;
        if (c.riffSize) put32(bytes, 4, *c.riffSize);
        if (c.dataSize) put32(bytes, 40, *c.dataSize);
        const fs::path patched = dir / "patched.wav";
        writeBytes(patched, bytes);
        EXPECT_EQ(convertedKeys(patched, dir.path()), kMelodyKeys);
    }
}

TEST_F(WaveInput, DamagedHeaders) {
    struct Case {
        const char* name;
        Bytes bytes;
        int type, detail;
    };
    Bytes noFmt = monoTone;
    std::memcpy(noFmt.data() + 12, "fmx ", 4);
    Bytes noData = monoTone;
    std::memcpy(noData.data() + 36, "dat_", 4);
    Bytes floatTag = monoTone;
    put16(floatTag, 20, 3);
    Bytes shortFile(monoTone.begin(), monoTone.begin() + 4131);
    // "fmt " so late that its fields would run past the searched bytes.
    Bytes lateFmt = monoTone;
    std::memcpy(lateFmt.data() + 12, "junk", 4);
    std::memcpy(lateFmt.data() + 4110, "fmt ", 4);
    const Case cases[] = {
        {"no fmt", noFmt, 4, 43},
        {"no data", noData, 4, 18},
        {"format tag 3", floatTag, 4, 17},
        {"fmt at the window's end", lateFmt, 4, 43},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaveHeader h = parse(c.bytes);
        EXPECT_EQ(h.outcomeType, c.type);
        EXPECT_EQ(h.outcomeDetail, c.detail);
        // Read from the file, the refused header ends the stage with the same outcome.
        writeBytes(dir / "damaged.wav", c.bytes);
        WaveHeader unused;
        std::optional<RunOutcome> thrown = readFileHeader(dir / "damaged.wav", unused);
        ASSERT_TRUE(thrown);
        EXPECT_EQ(thrown->type, c.type);
        EXPECT_EQ(thrown->detail, c.detail);
    }
    // Fewer bytes than the file holds are a failed read; a whole file under 4,132 bytes is read.
    EXPECT_EQ(ParseWaveHeader(shortFile, int64_t(monoTone.size())).outcomeDetail, 16);
    Bytes small =
        velt::test::readBytes(makeWav(dir / "small.wav", 22050, 16, 1, "0.05 sine 440", ""));
    ASSERT_LT(small.size(), 4132u);
    WaveHeader h = parse(small);
    EXPECT_EQ(h.outcomeType, 0);
    EXPECT_TRUE(h.riff);
    EXPECT_EQ(h.sampleRate, 22050);
    EXPECT_EQ(h.dataOffset, 36 + 32);
    EXPECT_EQ(h.endOfData, int64_t(small.size()) - 8 - 74);  // RIFF size less 74
    writeBytes(dir / "small copy.wav", small);
    WaveHeader read;
    EXPECT_FALSE(readFileHeader(dir / "small copy.wav", read));
    EXPECT_EQ(read.endOfData, h.endOfData);
    Bytes floatFile = velt::test::readBytes(
        makeWav(dir / "float.wav", 44100, 32, 1, "1 sine 440", "-e floating-point"));
    EXPECT_EQ(parse(floatFile).outcomeDetail, 17) << "float data is not PCM";
}

TEST_F(WaveInput, RawFileIsReadWholeWithTheProjectsFormat) {
    Bytes raw(monoTone.begin() + 44, monoTone.end());
    WaveHeader h = parse(raw);
    EXPECT_FALSE(h.riff);
    EXPECT_EQ(h.dataOffset, 0);
    EXPECT_EQ(h.endOfData, int64_t(raw.size()));

    writeBytes(dir / "tone.raw", raw);
    fs::path project =
        writeProject(dir / "raw.vpr", timedProject(dir / "tone.raw", dir / "raw.mid",
                                                   "Tracks=1\nRate=44100\nBitsPerSample=16\n"));
    ASSERT_EQ(setUpProject(project, dir / "s.txt").type, 0);
    EXPECT_EQ(run().geo().endByte, int64_t(raw.size()));
}

TEST_F(WaveInput, UnsupportedFormatsEndTheRunWithTheirCodes) {
    Bytes twelveBits = monoTone;
    put16(twelveBits, 34, 12);
    Bytes rateZero = monoTone;
    put32(rateZero, 24, 0);
    writeBytes(dir / "twelve.wav", twelveBits);
    writeBytes(dir / "rate0.wav", rateZero);
    makeWav(dir / "three.wav", 44100, 16, 3, "1 sine 440");
    struct Case {
        const char* file;
        int type, detail;
    };
    const Case cases[] = {
        {"three.wav", 4, 9}, {"twelve.wav", 4, 11}, {"rate0.wav", 4, 10}, {"absent.wav", 3, 15}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        fs::path project = writeProject(dir / "p.vpr", timedProject(dir / c.file, dir / "out.mid"));
        RunOutcome outcome = setUpProject(project, dir / "s.txt");
        EXPECT_EQ(outcome.type, c.type);
        EXPECT_EQ(outcome.detail, c.detail);
    }
}

TEST(SampleConversion, FormatsAndStereoBalance) {
    struct Case {
        const char* name;
        SampleFormat format;
        Bytes bytes;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"8-bit unsigned", {1, 8, 50}, {0x80, 0xFF, 0x00}, {0, 127 * 256, -128 * 256}},
        {"16-bit", {1, 16, 50}, {0x01, 0x80, 0xFF, 0x7F}, {-32767, 32767}},
        {"24-bit top bytes", {1, 24, 50}, {0xAA, 0x00, 0x80, 0x55, 0x34, 0x12}, {-32768, 0x1234}},
        {"32-bit top bytes", {1, 32, 50}, {1, 2, 0xFF, 0xFF}, {-1}},
        {"stereo pan 0 = left", {2, 16, 0}, {0x10, 0x00, 0x20, 0x00}, {16}},
        {"stereo pan 100 = right", {2, 16, 100}, {0x10, 0x00, 0x20, 0x00}, {32}},
        {"stereo pan 50", {2, 16, 50}, {0x10, 0x00, 0x21, 0x00}, {24}},
        {"stereo truncates toward zero", {2, 16, 50}, {0xFF, 0xFF, 0xFE, 0xFF}, {-1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> out(c.expected.size() + 1, 99);
        int peak = ConvertFrames(c.bytes, c.format, out);
        std::vector<int> got(out.begin() + 1, out.end());
        EXPECT_EQ(got, c.expected);
        int expectedPeak = 0;
        for (int v : c.expected) expectedPeak = std::max(expectedPeak, std::abs(v));
        EXPECT_EQ(peak, expectedPeak);
    }
}

TEST(SampleConversion, CompressorWeighsRecentPeaks) {
    std::array<int, 15> history;
    history.fill(32767);
    double gain = CompressorGain(history, 16384);
    EXPECT_EQ(history[0], 16384);
    EXPECT_EQ(history[14], 32767);
    double sum = 16384;
    for (int i = 1; i < 15; ++i) sum += 32767.0 / (1 << i);
    EXPECT_DOUBLE_EQ(gain, 32767 / (0.5 * sum));
}

// Blocks of a stereo file whose left channel is 440 Hz and right channel 660 Hz.
class BlockReading : public ::testing::Test {
  protected:
    static constexpr int kBlockLength = 2048;  // frames per block

    velt::test::TempDir dir;
    fs::path wav = makeWav(dir / "stereo_440l_660r.wav", 44100, 16, 2, "1 sine 440 sine 660");
    Bytes bytes = velt::test::readBytes(wav);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{std::fopen(wav.c_str(), "rb"),
                                                         &std::fclose};
    BlockLayout layout;
    std::vector<unsigned char> buffer;
    std::vector<int> samples = std::vector<int>(kBlockLength + 1);

    void SetUp() override {
        ASSERT_TRUE(file);
        const WaveHeader header = ReadWaveFileHeader(file.get());
        layout.dataOffset = header.dataOffset;
        layout.endOfData = header.endOfData;
        layout.blockLength = kBlockLength;
        layout.blockBytes = int64_t{kBlockLength} * 4;
        layout.format = {2, 16, 50};
    }
    int read(int64_t position) {
        return ReadFileBlock(file.get(), layout, position, buffer, samples);
    }
    int sampleAt(int64_t frame, int channel) {
        size_t at = size_t(68 + frame * 4 + channel * 2);
        return int16_t(bytes[at] | (bytes[at + 1] << 8));
    }
};

TEST_F(BlockReading, StereoBalanceChoosesTheChannels) {
    for (int pan : {0, 50, 100}) {
        SCOPED_TRACE(pan);
        layout.format.stereoPan = pan;
        const int64_t frameAt = 1000;
        int peak = read(layout.dataOffset + frameAt * 4);
        int expectedPeak = 0;
        for (int i = 0; i < kBlockLength; ++i) {
            int left = sampleAt(frameAt + i, 0), right = sampleAt(frameAt + i, 1);
            int mixed = (pan * right + (100 - pan) * left) / 100;
            ASSERT_EQ(samples[size_t(i) + 1], mixed) << i;
            expectedPeak = std::max(expectedPeak, std::abs(mixed));
        }
        EXPECT_EQ(peak, expectedPeak);
    }
}

TEST_F(BlockReading, EdgesOfTheDataReadAsSilence) {
    // Before the data: the frames before the data offset are zero, the rest is audio.
    read(layout.dataOffset - 40);
    for (int i = 1; i <= 10; ++i) EXPECT_EQ(samples[size_t(i)], 0);
    for (int i = 11; i <= 100; ++i) {
        ASSERT_EQ(samples[size_t(i)], (sampleAt(i - 11, 0) + sampleAt(i - 11, 1)) / 2) << i;
    }
    // Straddling the end: audio, then zeros.
    const int64_t tailFrames = 100;
    read(layout.endOfData - tailFrames * 4);
    for (int i = int(tailFrames) + 1; i <= kBlockLength; ++i) ASSERT_EQ(samples[size_t(i)], 0);
    // Past the end: all zeros, peak 0.
    EXPECT_EQ(read(layout.endOfData + 8), 0);
    for (int i = 1; i <= kBlockLength; ++i) ASSERT_EQ(samples[size_t(i)], 0);
}

// A block above the threshold is scaled by the normaliser, or by the compressor's gain (which
// takes the block's peak into its history); a block at the threshold stays as read.
TEST_F(BlockReading, ScalingAboveTheThresholdOnly) {
    const double normaliser =
        NormaliserGain(file.get(), layout, layout.dataOffset, layout.endOfData, buffer);
    ASSERT_GT(normaliser, 1.0);  // sox's sine peaks below full scale
    const int peak = read(layout.dataOffset + 4000 * 4);
    const std::vector<int> raw = samples;
    std::array<int, 15> fullHistory;
    fullHistory.fill(32767);
    std::array<int, 15> pushedHistory = fullHistory;
    const double compressorGain = CompressorGain(pushedHistory, peak);
    struct Case {
        const char* name;
        BlockScaling scaling;
        double gain;
        bool pushesPeak;
    };
    const Case cases[] = {
        {"at the threshold", {peak, false, normaliser}, 1, false},
        {"at the threshold, compressed", {peak, true, normaliser}, 1, false},
        {"normalised", {384, false, normaliser}, normaliser, false},
        {"compressed", {384, true, normaliser}, compressorGain, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        samples = raw;
        std::array<int, 15> history = fullHistory;
        ScaleBlock(samples, peak, c.scaling, history);
        EXPECT_EQ(samples[0], raw[0]) << "element 0 is not a sample";
        for (int i = 1; i <= kBlockLength; ++i) {
            ASSERT_EQ(samples[size_t(i)], int(raw[size_t(i)] * c.gain)) << i;
        }
        EXPECT_EQ(history, c.pushesPeak ? pushedHistory : fullHistory);
    }
}

TEST_F(BlockReading, NormaliserFromTheLargestBlockPeak) {
    int largest = 0;
    for (int64_t p = layout.dataOffset; p + layout.blockBytes <= layout.endOfData;
         p += layout.blockBytes) {
        largest = std::max(largest, FileBlockPeak(file.get(), layout, p, buffer));
    }
    ASSERT_GT(largest, 0);
    EXPECT_DOUBLE_EQ(
        NormaliserGain(file.get(), layout, layout.dataOffset, layout.endOfData, buffer),
        32767.0 / largest);
    EXPECT_EQ(FileBlockPeak(file.get(), layout, 0, buffer), 0) << "a block before the data";
    EXPECT_EQ(NormaliserGain(file.get(), layout, layout.dataOffset, layout.dataOffset, buffer), 1)
        << "no whole block";
}

}  // namespace
}  // namespace velt::engine::test
