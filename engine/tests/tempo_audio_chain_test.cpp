// Tempo detection from real audio: click tracks made by sox and small scores rendered by
// fluidsynth, scanned from memory and decided, without the rest of the engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "tempo/timing_decision.h"
#include "tempo_fixtures.h"
#include "test_support.h"

namespace velt::engine {
namespace {

using testing::MemoryByteSource;
using velt::test::runCommand;
using velt::test::shellQuote;
using velt::test::TempDir;

// Raw 16-bit mono PCM at 44.1 kHz made by a sox effect chain.
std::vector<uint8_t> soxRaw(const TempDir& dir, const std::string& effects) {
    const auto file = dir / "audio.raw";
    const auto result = runCommand("sox -D -r 44100 -c 1 -n -b 16 -e signed " +
                                   shellQuote(file.string()) + " " + effects + " 2>&1");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return velt::test::readBytes(file);
}

// A click track: 20 ms of 1 kHz fading from its first period, then silence up to one beat.
std::vector<uint8_t> clickTrack(const TempDir& dir, double bpm, int beats) {
    const int beatFrames = static_cast<int>(44100 * 60 / bpm);
    return soxRaw(dir, "synth 0.02 sine 1000 fade 0 0.02 0.02 pad 0 " +
                           std::to_string(beatFrames - 882) + "s repeat " +
                           std::to_string(beats - 1));
}

// One note of a bar: where it starts and how long it lasts in beats, its key and velocity.
struct BarNote {
    double beat, length;
    int key, velocity;
};

// Renders `bars` bars of a one-bar piano figure at `bpm` with fluidsynth: 16-bit stereo raw PCM.
std::vector<uint8_t> renderBars(const TempDir& dir, double bpm, int beatsPerBar, int bars,
                                const std::vector<BarNote>& figure) {
    struct Event {
        int tick, on, key, velocity;
    };
    std::vector<Event> events;
    for (int bar = 0; bar < bars; ++bar) {
        for (const BarNote& n : figure) {
            const int tick = static_cast<int>((bar * beatsPerBar + n.beat) * 480);
            events.push_back({tick, 1, n.key, n.velocity});
            events.push_back({tick + static_cast<int>(n.length * 480), 0, n.key, 0});
        }
    }
    std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.on < b.on;
    });
    std::ostringstream csv;
    csv << "0, 0, Header, 0, 1, 480\n1, 0, Start_track\n"
        << "1, 0, Tempo, " << static_cast<int>(60000000 / bpm) << "\n1, 0, Program_c, 0, 0\n";
    for (const Event& e : events) {
        csv << "1, " << e.tick << (e.on ? ", Note_on_c, 0, " : ", Note_off_c, 0, ") << e.key << ", "
            << e.velocity << "\n";
    }
    csv << "1, " << (bars * beatsPerBar + 2) * 480 << ", End_track\n0, 0, End_of_file\n";
    velt::test::writeFile(dir / "score.csv", csv.str());

    const std::string midi = shellQuote((dir / "score.mid").string());
    const std::string raw = shellQuote((dir / "score.raw").string());
    const auto made =
        runCommand("csvmidi " + shellQuote((dir / "score.csv").string()) + " " + midi + " 2>&1");
    EXPECT_EQ(made.exitCode, 0) << made.output;
    const auto rendered = runCommand("fluidsynth -ni -g 0.6 -r 44100 -T raw -O s16 -F " + raw +
                                     " /usr/share/sounds/sf2/FluidR3_GM.sf2 " + midi + " 2>&1");
    EXPECT_EQ(rendered.exitCode, 0) << rendered.output;
    return velt::test::readBytes(dir / "score.raw");
}

TimingDecision scanAndDecide(const std::vector<uint8_t>& pcm, const TimingSettings& settings,
                             int channels = 1) {
    OnsetScanParams params;
    params.sampleRate = 44100;
    params.channels = channels;
    params.bitsPerSample = 16;
    params.endByte = static_cast<int64_t>(pcm.size());
    MemoryByteSource source(pcm);
    return DecideTiming(settings, [&] { return ScanOnsets(params, source); });
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
    };
    // 200 BPM is outside 60 ... 120 and comes out at half speed.
    const Case cases[] = {{90, 90}, {100, 100}, {200, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bpm);
        TempDir dir;
        const TimingDecision d = scanAndDecide(clickTrack(dir, c.bpm, 60), detectAll());
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
    // Waltz: bass and melody on 1, chords on 2 and 3, a melody eighth after 2.
    const std::vector<BarNote> waltz = {{0, 0.25, 48, 120}, {0, 0.25, 76, 110},   {1, 0.25, 64, 80},
                                        {1, 0.25, 67, 80},  {1.5, 0.25, 74, 100}, {2, 0.25, 64, 80},
                                        {2, 0.25, 67, 80}};
    // March: bass on 1 and 3, chords on 2 and 4, melody on 1 and 3 with an eighth after each.
    const std::vector<BarNote> march = {
        {0, 0.25, 48, 120}, {0, 0.25, 72, 110}, {0.5, 0.25, 74, 100}, {1, 0.25, 64, 80},
        {1, 0.25, 67, 80},  {2, 0.25, 43, 120}, {2, 0.25, 76, 110},   {2.5, 0.25, 74, 100},
        {3, 0.25, 64, 80},  {3, 0.25, 67, 80}};
    struct Case {
        const char* name;
        double bpm;
        int beatsPerBar;
        const std::vector<BarNote>* figure;
    };
    const Case cases[] = {{"waltz", 80, 3, &waltz}, {"march", 112, 4, &march}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::vector<uint8_t> pcm = renderBars(dir, c.bpm, c.beatsPerBar, 16, *c.figure);
        const TimingDecision d = scanAndDecide(pcm, detectAll(), 2);
        ASSERT_EQ(d.finishType, 0);
        EXPECT_NEAR(d.beatsPerSecond * 60, c.bpm, 2);
        EXPECT_EQ(d.numerator, c.beatsPerBar);
        EXPECT_EQ(d.denominatorExp, 2);
    }
}

}  // namespace
}  // namespace velt::engine
