// The onset scan over audio held in memory: sample formats, the onset rule, the range and the
// read failures.
#include <gtest/gtest.h>

#include "tempo/onset_scan.h"
#include "tempo_fixtures.h"

namespace velt::engine {
namespace {

using testing::MemoryByteSource;

// PCM of any supported format; values are given on the 16-bit scale.
class Pcm {
  public:
    Pcm(int channels, int bits, int64_t frames)
        : channels_(channels),
          width_(bits / 8),
          bytes_(static_cast<size_t>(frames * channels * width_), bits == 8 ? 128 : 0) {}

    void set(int64_t frame, int left, int right = 0) {
        put(frame, 0, left);
        if (channels_ == 2) put(frame, 1, right);
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    void put(int64_t frame, int channel, int value) {
        uint8_t* at = bytes_.data() + (frame * channels_ + channel) * width_;
        if (width_ == 1) {
            at[0] = static_cast<uint8_t>(value / 256 + 128);
            return;
        }
        const auto v = static_cast<uint16_t>(static_cast<int16_t>(value));
        at[width_ - 2] = static_cast<uint8_t>(v & 0xFF);
        at[width_ - 1] = static_cast<uint8_t>(v >> 8);
    }

    int channels_;
    int width_;
    std::vector<uint8_t> bytes_;
};

OnsetScanParams paramsFor(int rate, int channels, int bits, int64_t bytes) {
    OnsetScanParams params;
    params.sampleRate = rate;
    params.channels = channels;
    params.bitsPerSample = bits;
    params.startByte = 0;
    params.endByte = bytes;
    return params;
}

TEST(TempoOnsetScan, FindsOneClickInEveryFormat) {
    struct Case {
        const char* name;
        int rate, channels, bits, pan;
        int left, right;
        int64_t frame;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        {"16-bit mono 44.1 kHz", 44100, 1, 16, 50, 20000, 0, 40000, {10000}},
        {"8-bit mono, scaled like the block reader", 44100, 1, 8, 50, 10 * 256, 0, 40000, {10000}},
        {"24-bit mono", 44100, 1, 24, 50, -20000, 0, 40000, {10000}},
        {"32-bit mono", 44100, 1, 32, 50, 20000, 0, 40000, {10000}},
        {"stereo, pan 0 hears the left", 44100, 2, 16, 0, 20000, 0, 40000, {10000}},
        {"stereo, pan 0 ignores the right", 44100, 2, 16, 0, 0, 20000, 40000, {}},
        {"stereo, pan 100 hears the right", 44100, 2, 16, 100, 0, 20000, 40000, {10000}},
        {"stereo, pan 50 mixes", 44100, 2, 16, 50, 600, 600, 40000, {10000}},
        {"stereo, pan 50 of opposite phases is silent", 44100, 2, 16, 50, 20000, -20000, 40000, {}},
        {"22.05 kHz steps by two frames", 22050, 1, 16, 50, 20000, 0, 20000, {10000}},
        {"48 kHz keeps seconds right", 48000, 1, 16, 50, 20000, 0, 48000, {11025}},
        {"8 kHz keeps seconds right", 8000, 1, 16, 50, 20000, 0, 8000, {11025}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pcm pcm(c.channels, c.bits, 3 * c.rate);
        pcm.set(c.frame, c.left, c.right);
        MemoryByteSource source(pcm.bytes());
        OnsetScanParams params = paramsFor(c.rate, c.channels, c.bits, pcm.bytes().size());
        params.stereoPan = c.pan;
        const OnsetScanResult result = ScanOnsets(params, source);
        EXPECT_EQ(result.failure, 0);
        EXPECT_EQ(result.onsets, c.expected);
    }
}

TEST(TempoOnsetScan, OnsetRuleNeedsThresholdAndARise) {
    // Chunks are 1880 frames at 44.1 kHz; the clicks sit in chunks 10, 11, 13 and 20.
    const int64_t chunk = 1880;
    Pcm pcm(1, 16, 30 * chunk);
    pcm.set(10 * chunk + 400, 8000);   // onset
    pcm.set(11 * chunk + 400, 8000);   // previous chunk as loud: no onset
    pcm.set(13 * chunk + 400, 8000);   // after a silent chunk: onset
    pcm.set(14 * chunk + 400, 16002);  // more than twice the previous: onset
    pcm.set(20 * chunk + 400, 384);    // at the threshold: no onset
    pcm.set(25 * chunk + 400, 385);    // above it: onset
    MemoryByteSource source(pcm.bytes());
    const OnsetScanResult result = ScanOnsets(paramsFor(44100, 1, 16, pcm.bytes().size()), source);
    const std::vector<int32_t> expected = {10 * 470 + 100, 13 * 470 + 100, 14 * 470 + 100,
                                           25 * 470 + 100};
    EXPECT_EQ(result.onsets, expected);
}

TEST(TempoOnsetScan, SilenceGivesNoOnsets) {
    Pcm pcm(2, 16, 44100 * 5);
    MemoryByteSource source(pcm.bytes());
    const OnsetScanResult result = ScanOnsets(paramsFor(44100, 2, 16, pcm.bytes().size()), source);
    EXPECT_EQ(result.failure, 0);
    EXPECT_TRUE(result.onsets.empty());
}

TEST(TempoOnsetScan, ScansOnlyWholeChunksOfTheRangeAndTimesFromTheData) {
    const int64_t chunk = 1880;
    const int64_t header = 68;  // bytes before the first sample
    Pcm pcm(1, 16, 20 * chunk);
    pcm.set(2 * chunk + 8, 9000);   // before the start
    pcm.set(6 * chunk + 8, 9000);   // inside
    pcm.set(15 * chunk + 8, 9000);  // in the last, partial chunk of the range
    std::vector<uint8_t> bytes(header, 0x55);
    bytes.insert(bytes.end(), pcm.bytes().begin(), pcm.bytes().end());
    MemoryByteSource source(bytes);

    OnsetScanParams params = paramsFor(44100, 1, 16, 0);
    params.dataOffset = header;
    params.startByte = header + 5 * chunk * 2;
    params.endByte = header + 16 * chunk * 2 - 2;
    const OnsetScanResult result = ScanOnsets(params, source);
    EXPECT_EQ(result.onsets, std::vector<int32_t>({6 * 470 + 2}));
}

TEST(TempoOnsetScan, ReportsSeekAndReadFailures) {
    Pcm pcm(1, 16, 44100);
    MemoryByteSource seekFails(pcm.bytes());
    seekFails.failSeek = true;
    EXPECT_EQ(ScanOnsets(paramsFor(44100, 1, 16, pcm.bytes().size()), seekFails).failure, 37);
    MemoryByteSource readFails(pcm.bytes());
    readFails.failRead = true;
    EXPECT_EQ(ScanOnsets(paramsFor(44100, 1, 16, pcm.bytes().size()), readFails).failure, 38);
}

TEST(TempoOnsetScan, ConvertsTempoFramesToBytesBothWays) {
    OnsetScanParams cd = paramsFor(44100, 2, 16, 0);
    EXPECT_EQ(TempoFramesToBytes(cd, 11025), 44100 * 4);
    EXPECT_EQ(TempoFramesToBytes(cd, -10), -40 * 4);
    EXPECT_EQ(BytesToTempoFrames(cd, 44100 * 4 + 12), 11025);
    OnsetScanParams dat = paramsFor(48000, 1, 24, 0);
    EXPECT_EQ(TempoFramesToBytes(dat, 11025), 48000 * 3);
    EXPECT_EQ(BytesToTempoFrames(dat, 48000 * 3), 11025);
}

}  // namespace
}  // namespace velt::engine
