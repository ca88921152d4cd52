// The head of a wave file: each verdict from a canonical 44-byte header with one field changed.
#include "desk/core/shared/wave_head.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace velt::desk {
namespace {

void put(std::string& b, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
}

// A canonical header (data at byte 37) followed by `dataBytes` of silence, padded to the head's
// size when shorter.
std::string wave(int channels, int bits, int rate, uint32_t dataBytes, int format = 1) {
    std::string b = std::string("RIFF") + "    " + "WAVEfmt " + std::string(20, '\0') + "data    ";
    const int align = channels * bits / 8;
    put(b, 4, 36 + dataBytes, 4);
    put(b, 16, 16, 4);
    put(b, 20, static_cast<uint32_t>(format), 2);
    put(b, 22, static_cast<uint32_t>(channels), 2);
    put(b, 24, static_cast<uint32_t>(rate), 4);
    put(b, 28, static_cast<uint32_t>(rate * align), 4);
    put(b, 32, static_cast<uint32_t>(align), 2);
    put(b, 34, static_cast<uint32_t>(bits), 2);
    put(b, 40, dataBytes, 4);
    b += std::string(std::max<size_t>(dataBytes, WaveHead::kHeaderBytes), '\0');
    return b;
}

TEST(WaveHead, VerdictsOfTheHeader) {
    test::TempDir dir;
    std::string permuted = wave(2, 16, 44100, 400000);
    permuted.replace(0, 4, "FFIR");  // the tags are known by their byte sums only
    struct Case {
        const char* name;
        std::string bytes;
        WaveVerdict verdict;
    } cases[] = {
        {"stereo 16-bit", wave(2, 16, 44100, 400000), WaveVerdict::Accepted},
        {"permuted RIFF tag", permuted, WaveVerdict::Accepted},
        {"mono 8-bit", wave(1, 8, 8000, 10000), WaveVerdict::Accepted},
        {"no wave", std::string(5000, 'x'), WaveVerdict::NotWave},
        {"compressed", wave(2, 16, 44100, 400000, 3), WaveVerdict::Compressed},
        {"three tracks", wave(3, 16, 44100, 400000), WaveVerdict::Tracks},
        {"12 bits", wave(1, 12, 44100, 400000), WaveVerdict::Bits},
        {"115 data bytes", wave(2, 16, 44100, 115), WaveVerdict::TooShort},
        {"no sample rate", wave(2, 16, 0, 400000), WaveVerdict::Unreadable},
    };
    for (const Case& c : cases) {
        const auto path = dir / (std::string(c.name) + ".wav");
        test::writeFile(path, c.bytes);
        EXPECT_EQ(ReadWaveHead(path.string()).verdict, c.verdict) << c.name;
    }
    EXPECT_EQ(ReadWaveHead((dir / "missing.wav").string()).verdict, WaveVerdict::Unreadable);
    EXPECT_FALSE(ReadWaveHead(dir.path().string()).tagsRead);  // a folder is no file

    const WaveHead head = ReadWaveHead((dir / "stereo 16-bit.wav").string());
    EXPECT_EQ(head.sampleRate, 44100);
    EXPECT_EQ(head.channelCount, 2);
    EXPECT_EQ(head.blockAlign, 4);
    EXPECT_EQ(head.usableBytes, 400000 - 116);  // RiffSize - 37 - 115
}

}  // namespace
}  // namespace velt::desk
