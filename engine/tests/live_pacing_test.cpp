// Live runs through the file-backed sound input: frames follow the audio (one after every 10 ms
// of new samples), so a melody gives its notes in order without a burst of extra notes at every
// change of note, in single-line and polyphonic mode, the same notes a file run gives.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <thread>

#include "command_writers.h"
#include "engine_fixtures.h"
#include "live_engine.h"
#include "midicsv_reader.h"
#include "piano_score.h"

namespace velt::engine::test {
namespace {

using namespace std::chrono_literals;

// Runs the engine live on a WAV file, its input at file speed, until the notes have come and the
// input reads silent again, then cancels it; returns the MIDI device log. The input is paced by
// the engine's reads, so an engine starved on a busy machine hears every sample, later. The
// process is ended by its id if anything goes wrong on the way.
class PacedLiveRun {
  public:
    PacedLiveRun(const fs::path& folder, const fs::path& wav, const std::string& projectText)
        : log_(folder / "midi.log"),
          status_(folder / "status.txt"),
          command_(folder / "command.txt"),
          engine_(wav, log_, writeProject(folder / "live.vpr", projectText), status_, command_) {}

    // Waits (bounded) for `notes` note-ons in the log and the input level to read 0 (the
    // silence after the last note, or the file heard whole), cancels, and returns the log's
    // lines; empty when the run did not end as cancelled. The wait counts from this call, not
    // from the start: the runs are heard one after another, with file runs in between, and on a
    // loaded machine the earlier ones can take most of a minute.
    std::vector<std::string> playThrough(size_t notes) {
        if (!engine_.started()) return {};
        const auto limit = std::chrono::steady_clock::now() + 60s;
        while (std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(5ms);
            if (noteOnKeys(velt::test::splitLines(velt::test::readFile(log_))).size() < notes)
                continue;
            std::string line = velt::test::readFile(status_);
            if (!line.empty() && std::atof(line.c_str()) == 0) break;
        }
        EXPECT_TRUE(printfCommand(command_, "1"));
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            limit - std::chrono::steady_clock::now());
        const bool ended = engine_.waitForEnd(std::max(left, std::chrono::milliseconds(0)));
        const std::string status = velt::test::readFile(status_);
        if (!ended || engine_.exitCode() < 0 || statusValue(status) != "-1.000") {
            ADD_FAILURE() << "the run did not end as cancelled: "
                          << (ended ? "exit code " + std::to_string(engine_.exitCode())
                                    : std::string("still running"))
                          << ", status \"" << status << "\", "
                          << noteOnKeys(velt::test::splitLines(velt::test::readFile(log_))).size()
                          << " note-ons heard";
            return {};
        }
        return velt::test::splitLines(velt::test::readFile(log_));
    }

  private:
    fs::path log_, status_, command_;
    LiveEngine engine_;
};

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
        if (std::sscanf(line.c_str(), "%ld %x %x %x", &ms, &status, &data1, &data2) != 4) continue;
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

class LivePacing : public ::testing::Test {
  protected:
    velt::test::TempDir dir;
};

// The keys of the notes of a file run of the same audio and keys, in order.
std::vector<int> fileRunKeys(const fs::path& folder, const fs::path& wav, const std::string& keys) {
    fs::path midi = folder / "file.mid";
    EngineRun run = runEngine(writeProject(folder / "file.vpr", timedProject(wav, midi, keys)),
                              folder / "file-status.txt", folder / "file-command.txt");
    EXPECT_EQ(statusValue(run.status), "100000.000");
    return velt::test::readMidi(midi).keysInOrder();
}

// A melody rendered by fluidsynth with a General MIDI program and made mono: one note every
// step seconds, held for 90 % of it.
fs::path renderMelody(const fs::path& folder, const std::string& name, int program,
                      const std::vector<int>& keys, double step) {
    std::vector<velt::test::ScoreNote> score;
    for (size_t i = 0; i < keys.size(); ++i)
        score.push_back({0.2 + step * double(i), 0.9 * step, keys[i], 90});
    fs::path mono = folder / (name + ".wav");
    EXPECT_TRUE(velt::test::renderMonoScore(score, folder, mono, program));
    return mono;
}

// A live run gives the notes of the melody, each once, the same as a file run of the same audio
// and keys: single line at the default range and at the instrument's range (filter.txt's, and
// the violin's 55..85 of the wizard), and polyphonic. Frames that straddle two notes once gave
// keys between them (before the frames followed the audio, 12 note-ons for the five sines, 44
// for the piano), and a live single line, which judged the keys below KeyMin + 19 by their
// harmonics alone, gave piano and flute notes an octave up or a key below the note, and a
// violin at 55..85 most notes an octave up. All runs play at the same time.
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
    const std::vector<int> pianoKeys = {60, 64, 67, 72, 71, 69, 67, 65, 64, 62, 60};
    fs::path piano = renderMelody(dir.path(), "piano", 0, pianoKeys, 0.4);
    const std::vector<int> fluteKeys = {60, 62, 64, 65, 67, 65, 64, 62, 60};
    fs::path flute = renderMelody(dir.path(), "flute", 73, fluteKeys, 0.35);
    const std::vector<int> violinKeys = {67, 69, 71, 72, 74, 72, 71, 69, 67};
    fs::path violin = renderMelody(dir.path(), "violin", 40, violinKeys, 0.35);

    struct Case {
        const char* name;
        fs::path wav;
        std::string keys;
        std::vector<int> expected;
        bool singleLine;
    };
    const std::string line = "PitchMode=1\n";
    const Case cases[] = {
        {"sine, single line", sine, line, sineKeys, true},
        {"sine, polyphonic", sine, "", sineKeys, false},
        {"piano, single line", piano, line, pianoKeys, true},
        {"piano, single line, 21..108", piano, line + "KeyMin=21\nKeyMax=108\n", pianoKeys, true},
        {"flute, single line", flute, line, fluteKeys, true},
        {"violin, single line", violin, line, violinKeys, true},
        {"violin, single line, 55..85", violin, line + "KeyMin=55\nKeyMax=85\n", violinKeys, true},
    };
    std::vector<std::unique_ptr<PacedLiveRun>> runs;
    for (const Case& c : cases) {
        fs::path folder = dir / c.name;
        fs::create_directories(folder);
        runs.push_back(std::make_unique<PacedLiveRun>(folder, c.wav,
                                                      "[audio]\nAudioFile=\n[pitch]\n" + c.keys));
    }
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        std::vector<std::string> log = runs[i]->playThrough(c.expected.size());
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(noteOnKeys(log), c.expected);
        if (c.singleLine) {
            EXPECT_EQ(soundingPitches(log), c.expected);
            // No more frames than 10 ms stretches of the audio (a frame loop that ran as fast
            // as it could sent bends less than a millisecond apart, hundreds a second).
            EXPECT_LE(bendCount(log), framesFollowingTheAudio(c.wav));
        }
        EXPECT_EQ(fileRunKeys(dir / c.name, c.wav, "[pitch]\n" + c.keys), c.expected)
            << "the file run of the same audio";
    }
}

}  // namespace
}  // namespace velt::engine::test
