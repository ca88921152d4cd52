// Recording a take through the command strings of the recording window: the take holds the
// frames fed between "record" and "stop" (as many as the clock says passed), it is saved under a
// path with blanks, an empty take saves as a valid 44-byte file, and the saved take plays back.
#include <gtest/gtest.h>

#include <numeric>

#include "mci_fixture.h"
#include "platform/wav/wav_file.h"

namespace velt::platform::mci {
namespace {

class MciRecord : public MciTest {
  protected:
    void openTake() {
        mciSendString("delete wavefile");  // what the window sends first; no take is open yet
        ASSERT_EQ(mciSendString("open new type waveaudio alias wavefile"), kMciOk);
        ASSERT_EQ(mciSendString("set wavefile bitspersample 16 alignment 4 channels 2 "
                                "samplespersec 44100 bytespersec 176400"),
                  kMciOk);
    }
    // Stereo frames whose left sample counts up from `from` and right sample counts down.
    void feed(int16_t& next, size_t frames) {
        std::vector<int16_t> samples(frames * 2);
        for (size_t f = 0; f < frames; ++f, ++next) {
            samples[2 * f] = next;
            samples[2 * f + 1] = static_cast<int16_t>(-next);
        }
        input.deliver(samples);
    }
    std::vector<int16_t> samplesOf(const std::filesystem::path& file, wav::Layout& layout) {
        auto read = wav::readLayout(file);
        EXPECT_TRUE(read.has_value());
        if (!read) return {};
        layout = *read;
        std::vector<unsigned char> bytes = test::readBytes(file);
        std::vector<int16_t> samples;
        for (size_t i = layout.dataOffset; i + 1 < bytes.size(); i += 2)
            samples.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
        return samples;
    }
};

TEST_F(MciRecord, TheTakeHoldsTheFramesFedBetweenRecordAndStop) {
    struct Case {
        const char* name;
        int64_t lengthMs;
    } cases[] = {{"whole milliseconds", 1000}, {"rounded frames", 1234}, {"short", 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openTake();
        int16_t next = 1;
        feed(next, 300);  // arrives before "record": dropped
        ASSERT_EQ(mciSendString("record wavefile"), kMciOk);
        const int16_t first = next;
        std::string mode;
        mciSendString("status wavefile mode", mode);
        EXPECT_EQ(mode, "recording");
        // The input delivers ahead of the clock, in buffers of 512 frames.
        for (int64_t ms = 0; ms < c.lengthMs; ms += 10) {
            feed(next, 512);
            timing.advance(std::min<int64_t>(10, c.lengthMs - ms));
        }
        ASSERT_EQ(mciSendString("stop wavefile"), kMciOk);
        feed(next, 512);  // after "stop": not in the take
        auto path = dir / "take folder" / "my take.wav";
        std::filesystem::create_directories(path.parent_path());
        ASSERT_EQ(mciSendString("save wavefile " + path.string()), kMciOk);
        ASSERT_EQ(mciSendString("close wavefile"), kMciOk);

        wav::Layout layout;
        std::vector<int16_t> samples = samplesOf(path, layout);
        const auto frames = static_cast<size_t>((c.lengthMs * 441 + 5) / 10);
        EXPECT_EQ(layout.channels, 2);
        EXPECT_EQ(layout.sampleRate, 44100u);
        EXPECT_EQ(layout.bitsPerSample, 16);
        EXPECT_EQ(layout.dataOffset, 44u);
        ASSERT_EQ(samples.size(), frames * 2);
        for (size_t f = 0; f < frames; f += 97) {
            ASSERT_EQ(samples[2 * f], static_cast<int16_t>(first + f)) << f;
            ASSERT_EQ(samples[2 * f + 1], static_cast<int16_t>(-(first + f))) << f;
        }
    }
}

TEST_F(MciRecord, ANewTakeNeedsASoundInput) {
    wave_in::FakeWaveIn none(0);
    wave_in::useDevices(&none);
    EXPECT_EQ(mciSendString("open new type waveaudio alias wavefile"), kMciNoDevice);
    wave_in::useDevices(&input);
    EXPECT_EQ(mciSendString("open new type waveaudio alias wavefile"), kMciOk);
}

TEST_F(MciRecord, AnEmptyTakeSavesAsAValid44ByteFile) {
    struct Case {
        const char* name;
        bool record;
    } cases[] = {{"stopped before record (count-in)", false}, {"recorded for 0 ms", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openTake();
        int16_t next = 0;
        feed(next, 1000);
        if (c.record) {
            ASSERT_EQ(mciSendString("record wavefile"), kMciOk);
        }
        ASSERT_EQ(mciSendString("stop wavefile"), kMciOk);
        auto path = dir / "empty take.wav";
        ASSERT_EQ(mciSendString("save wavefile " + path.string()), kMciOk);
        ASSERT_EQ(mciSendString("close wavefile"), kMciOk);
        EXPECT_EQ(std::filesystem::file_size(path), 44u);
        auto layout = wav::readLayout(path);
        ASSERT_TRUE(layout.has_value());
        EXPECT_EQ(layout->frames(), 0u);
        EXPECT_TRUE(layout->isPcm());
    }
}

TEST_F(MciRecord, TheSavedTakePlaysBackAndEndsByItself) {
    openTake();
    ASSERT_EQ(mciSendString("record wavefile"), kMciOk);
    int16_t next = 0;
    for (int i = 0; i < 50; ++i) {
        feed(next, 441);
        timing.advance(10);
    }
    ASSERT_EQ(mciSendString("stop wavefile"), kMciOk);
    auto path = dir / "temp dir" / "~temp.wav";
    std::filesystem::create_directories(path.parent_path());
    ASSERT_EQ(mciSendString("save wavefile " + path.string()), kMciOk);
    ASSERT_EQ(mciSendString("close wavefile"), kMciOk);
    ASSERT_EQ(mciSendString("open " + path.string() + " type waveaudio alias wavefile"), kMciOk);
    ASSERT_EQ(mciSendString("play wavefile"), kMciOk);
    const auto& opened = output.events.front();
    EXPECT_EQ(opened.channels, 2);
    EXPECT_EQ(opened.end, 22050);
    timing.advance(500);
    std::string mode;
    mciSendString("status wavefile mode", mode);
    EXPECT_EQ(mode, "stopped");
    EXPECT_EQ(output.framesPlayed(1), 22050);
    // The input is free again once the take is closed: a new take can capture.
    ASSERT_EQ(mciSendString("close wavefile"), kMciOk);
    EXPECT_FALSE(input.capturing);
    openTake();
    EXPECT_TRUE(input.capturing);
}

}  // namespace
}  // namespace velt::platform::mci
