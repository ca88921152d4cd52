// Live runs at default settings through the file-backed sound input: frames follow the audio
// (one after every 10 ms of new samples), so a melody gives its notes in order without a burst
// of extra notes at every change of note, in single-line and polyphonic mode.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "engine_fixtures.h"
#include "live_engine.h"
#include "piano_score.h"

namespace velt::engine::test {
namespace {

using namespace std::chrono_literals;

// Runs the engine live on a WAV file until the whole file has been heard and the input reads
// silent again, then cancels it; returns the MIDI device log. The input is paced by the engine's
// reads, so an engine starved on a busy machine hears every sample, later. The process is ended by
// its id if anything goes wrong on the way.
class PacedLiveRun {
  public:
    PacedLiveRun(const fs::path& folder, const fs::path& wav, const std::string& projectText)
        : log_(folder / "midi.log"),
          status_(folder / "status.txt"),
          command_(folder / "command.txt"),
          engine_(wav, log_, writeProject(folder / "live.vpr", projectText), status_, command_) {}

    // Waits (bounded) for the file to be heard whole and the input level to read 0, cancels,
    // and returns the log's lines; empty when the run did not end as cancelled.
    std::vector<std::string> playThrough(double seconds) {
        if (!engine_.started()) return {};
        auto start = std::chrono::steady_clock::now();
        auto limit = start + 60s;
        auto heard = start + std::chrono::milliseconds(long(seconds * 1000));
        while (std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(20ms);
            if (std::chrono::steady_clock::now() < heard) continue;
            std::string line = velt::test::readFile(status_);
            if (!line.empty() && std::atof(line.c_str()) == 0) break;
        }
        velt::test::writeFile(command_, "1");
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            limit - std::chrono::steady_clock::now());
        const bool ended = engine_.waitForEnd(std::max(left, std::chrono::milliseconds(0)));
        if (!ended || engine_.exitCode() < 0 || statusValue(velt::test::readFile(status_)) != "-1.000")
            return {};
        return velt::test::splitLines(velt::test::readFile(log_));
    }

  private:
    fs::path log_, status_, command_;
    LiveEngine engine_;
};

// The keys of the note-ons in order.
std::vector<int> noteOns(const std::vector<std::string>& log) {
    std::vector<int> keys;
    for (const std::string& line : log) {
        long ms = 0;
        unsigned status = 0, key = 0, velocity = 0;
        if (std::sscanf(line.c_str(), "%ld %x %x %x", &ms, &status, &key, &velocity) == 4 &&
            (status & 0xF0) == 0x90 && velocity > 0)
            keys.push_back(int(key));
    }
    return keys;
}

// The pitches a single line sounds, in order: each note-on's key moved by the pitch bend in
// force (1/32 half step units, more than half a half step moves to the next key), repeats of
// the same pitch merged. A step of one key may come as a bend of the sounding note.
std::vector<int> soundingPitches(const std::vector<std::string>& log) {
    std::vector<int> pitches;
    int key = -1;
    int bend = 0;
    auto sound = [&] {
        if (key < 0) return;
        int shift = bend > 16 ? (bend + 15) / 32 : bend < -16 ? -((15 - bend) / 32) : 0;
        if (pitches.empty() || pitches.back() != key + shift) pitches.push_back(key + shift);
    };
    for (const std::string& line : log) {
        long ms = 0;
        unsigned status = 0, data1 = 0, data2 = 0;
        if (std::sscanf(line.c_str(), "%ld %x %x %x", &ms, &status, &data1, &data2) != 4)
            continue;
        if ((status & 0xF0) == 0x90 && data2 > 0) {
            key = int(data1);
            sound();
        } else if ((status & 0xF0) == 0xE0) {
            bend = int(data2) - 64;
            sound();
        }
    }
    return pitches;
}

// The pitch-bend messages in the log; a single line sends at most one per frame.
size_t bendCount(const std::vector<std::string>& log) {
    size_t count = 0;
    for (const std::string& line : log) {
        long ms = 0;
        unsigned status = 0, data1 = 0, data2 = 0;
        if (std::sscanf(line.c_str(), "%ld %x %x %x", &ms, &status, &data1, &data2) == 4 &&
            (status & 0xF0) == 0xE0)
            ++count;
    }
    return count;
}

// The most frames a live run can make of a WAV file when frames follow the audio: one for every
// 10 ms (441 samples) of it, and the first one.
size_t framesFollowingTheAudio(const fs::path& wav) {
    auto samples = runCommand("soxi -s " + shellQuote(wav.string()));
    EXPECT_EQ(samples.exitCode, 0);
    return size_t(std::atol(samples.output.c_str()) / 441 + 1);
}

// Whether every key of expected occurs in heard in the same order.
bool inOrder(const std::vector<int>& expected, const std::vector<int>& heard) {
    size_t at = 0;
    for (int key : heard)
        if (at < expected.size() && key == expected[at]) ++at;
    return at == expected.size();
}

class LivePacing : public ::testing::Test {
  protected:
    velt::test::TempDir dir;
};

TEST_F(LivePacing, MelodiesGiveTheirNotesOnce) {
    // C D E F G, 0.4 s each at -3 dB, and half a second of silence.
    std::string synth;
    for (const char* f : {"261.63", "293.66", "329.63", "349.23", "392"}) {
        if (!synth.empty()) synth += " : synth";
        synth += std::string(" 0.4 sine ") + f + " fade 0.01 0.4 0.02";
    }
    fs::path sine =
        makeWav(dir / "melody.wav", 44100, 16, 1, synth.substr(1) + " gain -3 pad 0 0.5");
    const std::vector<int> sineKeys = {60, 62, 64, 65, 67};

    // Eleven piano notes, rendered and made mono.
    const std::vector<int> pianoKeys = {60, 64, 67, 72, 71, 69, 67, 65, 64, 62, 60};
    std::vector<velt::test::ScoreNote> score;
    for (size_t i = 0; i < pianoKeys.size(); ++i)
        score.push_back({0.2 + 0.4 * double(i), 0.35, pianoKeys[i], 90});
    fs::path stereo = dir / "piano_stereo.wav";
    ASSERT_TRUE(velt::test::renderScore(score, dir.path(), stereo));
    fs::path piano = dir / "piano.wav";
    auto mixed = runCommand("sox -D " + shellQuote(stereo.string()) + " -r 44100 -b 16 -c 1 " +
                            shellQuote(piano.string()) + " 2>&1");
    ASSERT_EQ(mixed.exitCode, 0) << mixed.output;

    // Frames that straddle two notes may still name a key between them now and then (more so
    // on a busy machine, where frames come late and far apart); before the frames followed the
    // audio there were several such notes at every change of note (12 note-ons for the sines in
    // polyphonic mode, 44 for the piano), and a single line's bends came less than a
    // millisecond apart.
    struct Case {
        const char* name;
        fs::path wav;
        double seconds;
        const char* keys;
        std::vector<int> expected;
        bool singleLine;
        size_t mostNotes;
    };
    const Case cases[] = {
        {"sine, single line", sine, 2.5, "PitchMode=1\n", sineKeys, true, 8},
        {"sine, polyphonic", sine, 2.5, "", sineKeys, false, 8},
        {"piano, single line", piano, 5.5, "PitchMode=1\n", pianoKeys, true, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::path folder = dir / c.name;
        fs::create_directories(folder);
        PacedLiveRun engine(folder, c.wav, "[audio]\nAudioFile=\n" + std::string(c.keys));
        std::vector<std::string> log = engine.playThrough(c.seconds);
        ASSERT_FALSE(log.empty());
        std::vector<int> heard = c.singleLine ? soundingPitches(log) : noteOns(log);
        EXPECT_TRUE(inOrder(c.expected, heard)) << ::testing::PrintToString(heard);
        EXPECT_LE(noteOns(log).size(), c.mostNotes) << ::testing::PrintToString(noteOns(log));
        // No more frames than 10 ms stretches of the audio (a frame loop that ran as fast as it
        // could sent bends less than a millisecond apart, hundreds for each second of audio).
        if (c.singleLine) {
            EXPECT_LE(bendCount(log), framesFollowingTheAudio(c.wav));
        }
    }
}

}  // namespace
}  // namespace velt::engine::test
