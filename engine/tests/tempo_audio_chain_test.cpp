// Tempo detection from real audio: click tracks made by sox and small scores rendered by
// fluidsynth, scanned from memory and decided, without the rest of the engine.
#include <gtest/gtest.h>

#include <string>

#include "tempo/tempo_detection.h"
#include "tempo_fixtures.h"
#include "test_support.h"

namespace velt::engine {
namespace {

using testing::MemoryByteSource;
using velt::test::runCommand;
using velt::test::shellQuote;
using velt::test::TempDir;

// Raw 16-bit mono PCM made by a sox effect chain.
std::vector<uint8_t> soxRaw(const TempDir& dir, const std::string& effects, int rate = 44100) {
    const auto file = dir / "audio.raw";
    const auto result =
        runCommand("sox -D -r " + std::to_string(rate) + " -c 1 -n -b 16 -e signed " +
                   shellQuote(file.string()) + " " + effects + " 2>&1");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return velt::test::readBytes(file);
}

// A click track: 20 ms of 1 kHz fading from its first period, then silence up to one beat.
std::vector<uint8_t> clickTrack(const TempDir& dir, double bpm, int beats, int rate = 44100) {
    const int beatFrames = static_cast<int>(rate * 60 / bpm);
    return soxRaw(dir,
                  "synth 0.02 sine 1000 fade 0 0.02 0.02 pad 0 " +
                      std::to_string(beatFrames - rate / 50) + "s repeat " +
                      std::to_string(beats - 1),
                  rate);
}

TimingDecision scanAndDecide(const std::vector<uint8_t>& pcm, const TimingSettings& settings,
                             int channels = 1, int rate = 44100) {
    OnsetScanParams params;
    params.sampleRate = rate;
    params.channels = channels;
    params.bitsPerSample = 16;
    params.endByte = static_cast<int64_t>(pcm.size());
    MemoryByteSource source(pcm);
    return DetectTiming(settings, params, source);
}

TimingSettings detectAll() {
    TimingSettings settings;
    settings.tempoDetect = true;
    settings.numerator = 0;
    settings.resolution = -1;
    return settings;
}

TEST(TempoAudioChain, ClickTracks) {
    struct Case {
        double bpm, expected;
        int rate;
    };
    // 200 BPM is outside 60 ... 120 and comes out at half speed. Rates that are not multiples of
    // 11025 Hz keep their tempo too.
    const Case cases[] = {{90, 90, 44100},   {100, 100, 44100}, {200, 100, 44100},
                          {100, 100, 48000}, {90, 90, 22050},   {100, 100, 8000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bpm << " BPM at " << c.rate << " Hz");
        TempDir dir;
        const TimingDecision d =
            scanAndDecide(clickTrack(dir, c.bpm, 60, c.rate), detectAll(), 1, c.rate);
        ASSERT_EQ(d.finishType, 0);
        EXPECT_NEAR(d.beatsPerSecond * 60, c.expected, 0.5);
        EXPECT_EQ(d.numerator, 4);
        EXPECT_EQ(d.denominatorExp, 2);
        EXPECT_EQ(d.chordRes, 2);
        // The first click starts the audio: the bar starts on it or whole beats before.
        const double beatFrames = 11025 * 60 / c.expected;
        EXPECT_LE(d.startFrame, 5);
        EXPECT_GT(d.startFrame, -4 * beatFrames);
    }
}

TEST(TempoAudioChain, SilenceAndASingleClick) {
    TempDir dir;
    const TimingDecision silent = scanAndDecide(soxRaw(dir, "trim 0 10"), detectAll());
    EXPECT_EQ(silent.finishType, 9);
    EXPECT_EQ(silent.finishDetail, 36);
    const TimingDecision single =
        scanAndDecide(soxRaw(dir, "synth 0.02 sine 1000 pad 1 5"), detectAll());
    EXPECT_EQ(single.finishType, 9);
    EXPECT_EQ(single.finishDetail, 36);
}

TEST(TempoAudioChain, TenMinutesOfSixteenthNotes) {
    // 100 BPM sixteenths for ten minutes: 24,000 onsets, far more pairs per lag than 32-bit
    // smoothing sums can hold.
    TempDir dir;
    const std::vector<uint8_t> pcm = soxRaw(dir, "synth 0.01 sine 1000 pad 0 6174s repeat 23999");
    ASSERT_EQ(pcm.size(), 24000u * 6615 * 2);
    const TimingDecision d = scanAndDecide(pcm, detectAll());
    ASSERT_EQ(d.finishType, 0);
    EXPECT_NEAR(d.beatsPerSecond * 60, 100, 0.5);
    EXPECT_EQ(d.numerator, 4);
    EXPECT_EQ(d.gridPoints % 16, 0);  // sixteenths are reached
}

TEST(TempoAudioChain, WaltzAndMarchOnPiano) {
    struct Case {
        const char* name;
        double bpm;
        int beatsPerBar;
        const std::vector<testing::BarNote>* figure;
    };
    const Case cases[] = {{"waltz", 80, 3, &testing::kWaltz}, {"march", 112, 4, &testing::kMarch}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::vector<uint8_t> pcm = velt::test::readBytes(
            testing::RenderBars(dir / "score", "raw", c.bpm, c.beatsPerBar, 16, *c.figure));
        const TimingDecision d = scanAndDecide(pcm, detectAll(), 2);
        ASSERT_EQ(d.finishType, 0);
        EXPECT_NEAR(d.beatsPerSecond * 60, c.bpm, 2);
        EXPECT_EQ(d.numerator, c.beatsPerBar);
        EXPECT_EQ(d.denominatorExp, 2);
    }
}

}  // namespace
}  // namespace velt::engine
