// Live runs: sound-card input through the file device, notes to the MIDI log device, commands,
// cancel, open failures; fake devices for the capture's own error paths and frame rule.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <thread>

#include "command_writers.h"
#include "driver/live_devices.h"
#include "driver/run_conversion.h"
#include "engine_fixtures.h"
#include "live_engine.h"
#include "platform/midi_out/midi_out.h"
#include "platform/wave_io/fake_wave_in.h"

extern char** environ;

namespace velt::engine::test {
namespace {

using namespace std::chrono_literals;

struct LogLine {
    long ms = 0;
    std::string event;  // "90 3c 64", "reset", "close"
};

std::vector<LogLine> readLog(const fs::path& log) {
    std::vector<LogLine> lines;
    for (const std::string& text : velt::test::splitLines(velt::test::readFile(log))) {
        std::istringstream in(text);
        LogLine line;
        in >> line.ms;
        std::getline(in >> std::ws, line.event);
        lines.push_back(line);
    }
    return lines;
}

// Keys of the note-ons in the log, in order.
std::vector<int> noteOnKeys(const std::vector<LogLine>& log) {
    std::vector<int> keys;
    for (const LogLine& line : log) {
        unsigned status = 0, key = 0, velocity = 0;
        if (std::sscanf(line.event.c_str(), "%x %x %x", &status, &key, &velocity) == 3 &&
            (status & 0xF0) == 0x90 && velocity > 0) {
            keys.push_back(int(key));
        }
    }
    return keys;
}

class LiveProgram : public ::testing::Test {
  protected:
    velt::test::TempDir dir;
    fs::path status = dir / "status.txt";
    fs::path command = dir / "command.txt";
    fs::path log = dir / "midi.log";

    fs::path liveProject(const std::string& extra) {
        return writeProject(dir / "live.vpr",
                            "[audio]\nAudioFile=\n[pitch]\nKeyMin=48\nKeyMax=84\n" + extra);
    }
    std::string statusLine() { return velt::test::readFile(status); }

    // Waits while the engine runs until the level in its status line (field 1) passes `test`;
    // false when the run ended first. The limit only ends a run that went wrong.
    bool waitForLevel(LiveEngine& engine, const std::function<bool(double)>& test) {
        const auto limit = std::chrono::steady_clock::now() + 120s;
        while (engine.running() && std::chrono::steady_clock::now() < limit) {
            const std::string line = statusLine();
            char* end = nullptr;
            const double level = std::strtod(line.c_str(), &end);
            if (end != line.c_str() && test(level)) return true;
            std::this_thread::sleep_for(2ms);
        }
        return false;
    }
    // Waits while the engine runs until the MIDI log holds a note-on of `key`.
    bool waitForNoteOn(LiveEngine& engine, int key) {
        const auto limit = std::chrono::steady_clock::now() + 120s;
        while (engine.running() && std::chrono::steady_clock::now() < limit) {
            const std::vector<int> keys = noteOnKeys(readLog(log));
            if (std::find(keys.begin(), keys.end(), key) != keys.end()) return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }
    // Waits while the engine runs until it has taken (and deleted) the command file.
    bool waitForCommandTaken(LiveEngine& engine) {
        const auto limit = std::chrono::steady_clock::now() + 120s;
        while (engine.running() && std::chrono::steady_clock::now() < limit) {
            if (!fs::exists(command)) return true;
            std::this_thread::sleep_for(2ms);
        }
        return false;
    }
    // Joins WAV files with sox.
    fs::path joinWavs(const std::vector<fs::path>& parts, const fs::path& wav) {
        std::string command = "sox -D";
        for (const fs::path& part : parts) {
            command += ' ';
            command += shellQuote(part.string());
        }
        command += ' ';
        command += shellQuote(wav.string());
        auto joined = runCommand(command + " 2>&1");
        EXPECT_EQ(joined.exitCode, 0) << joined.output;
        return wav;
    }
};

TEST_F(LiveProgram, SineMelodyPlaysItsKeysInOrder) {
    // C D E F G, 0.4 s each, at -3 dB, between two stretches of quiet noise whose level (below
    // 100) tells, after the last note, that the melody is over.
    std::string synth;
    for (const char* f : {"261.63", "293.66", "329.63", "349.23", "392"}) {
        if (!synth.empty()) synth += " : synth";
        synth += std::string(" 0.4 sine ") + f + " fade 0.01 0.4 0.02";
    }
    fs::path tune = makeWav(dir / "melody_cdefg.wav", 44100, 16, 1, synth.substr(1) + " gain -3");
    fs::path noise = makeWav(dir / "noise.wav", 44100, 16, 1, "0.6 whitenoise vol 0.002");
    fs::path wav = joinWavs({noise, tune, noise}, dir / "melody.wav");
    LiveEngine engine(wav, log, liveProject("OutputThreshold=40\nPatch=5\n"), status, command,
                      LivePace::WallClock);
    ASSERT_TRUE(engine.started());

    // While the melody plays: the tempo is the live default; a program change goes out at once.
    ASSERT_TRUE(waitForNoteOn(engine, 60));
    std::string running = statusLine();
    EXPECT_NE(running.find(" 120.000000 "), std::string::npos) << running;
    EXPECT_TRUE(printfCommand(command, "3 40"));
    ASSERT_TRUE(waitForCommandTaken(engine));

    // After the last note, field 1 (the input level) falls to that of the noise.
    ASSERT_TRUE(waitForNoteOn(engine, 67));
    ASSERT_TRUE(waitForLevel(engine, [](double level) { return level >= 0 && level < 100; }));
    EXPECT_TRUE(engine.running());
    EXPECT_TRUE(printfCommand(command, "1"));
    ASSERT_TRUE(engine.waitForEnd(120s));
    EXPECT_EQ(engine.exitCode(), 0);
    EXPECT_EQ(statusValue(statusLine()), "-1.000");
    EXPECT_FALSE(fs::exists(command));

    std::vector<LogLine> lines = readLog(log);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0].event, "c0 05");  // program, then pan centre
    EXPECT_EQ(lines[1].event, "b0 0a 40");
    EXPECT_EQ(noteOnKeys(lines), (std::vector<int>{60, 62, 64, 65, 67}));
    bool programChanged = false;
    for (const LogLine& line : lines) programChanged |= line.event == "c0 28";
    EXPECT_TRUE(programChanged) << "command 3 sends the program at once";
    EXPECT_EQ(lines[lines.size() - 2].event, "reset");
    EXPECT_EQ(lines.back().event, "close");
}

TEST_F(LiveProgram, VoicePhraseGivesNotesWithoutErrors) {
    fs::path speech = dir / "speech_22050.wav";
    auto spoken = runCommand("espeak-ng -w " + shellQuote(speech.string()) +
                             " \"The quick brown fox jumps over the lazy dog\" 2>&1");
    ASSERT_EQ(spoken.exitCode, 0) << spoken.output;
    fs::path phrase = dir / "speech_44100.wav";
    auto converted = runCommand("sox -D " + shellQuote(speech.string()) + " -r 44100 -b 16 -c 1 " +
                                shellQuote(phrase.string()) + " gain -n -12 2>&1");
    ASSERT_EQ(converted.exitCode, 0) << converted.output;
    // The phrase peaks at -12 dB; after it, a pause and a long tone at -1 dB whose level (above
    // 20000) tells that the phrase is over.
    fs::path pause = makeWav(dir / "pause.wav", 44100, 16, 1, "0.3 whitenoise vol 0.002");
    fs::path marker = makeWav(dir / "marker.wav", 44100, 16, 1, "3 sine 440 gain -1");
    fs::path wav = joinWavs({phrase, pause, marker, pause}, dir / "speech_then_tone.wav");
    // Real pacing: the marker is heard for 3 s of wall clock, long enough to be seen.
    LiveEngine engine(wav, log, liveProject("PitchMode=1\nKeyMin=36\n"), status, command,
                      LivePace::WallClock);
    ASSERT_TRUE(engine.started());
    ASSERT_TRUE(waitForLevel(engine, [](double level) { return level > 20000; }));
    EXPECT_TRUE(printfCommand(command, "1"));
    ASSERT_TRUE(engine.waitForEnd(120s));
    EXPECT_EQ(statusValue(statusLine()), "-1.000");
    std::vector<LogLine> lines = readLog(log);
    EXPECT_FALSE(noteOnKeys(lines).empty());
    for (const LogLine& line : lines) {
        unsigned b[3];
        int n = std::sscanf(line.event.c_str(), "%x %x %x", &b[0], &b[1], &b[2]);
        EXPECT_TRUE(line.event == "reset" || line.event == "close" || (n >= 2 && b[0] >= 0x80))
            << line.event;
    }
}

TEST_F(LiveProgram, DevicesThatCannotBeOpened) {
    // Stereo files are heard (their two sides mixed); another rate is not.
    fs::path otherRate = makeWav(dir / "48k.wav", 48000, 16, 1, "0.5 sine 440");
    fs::path mono = makeWav(dir / "mono.wav", 44100, 16, 1, "0.5 sine 440");
    struct Case {
        fs::path input;
        fs::path log;
        const char* expected;
    };
    const Case cases[] = {
        {otherRate, dir / "a.log", "-11.032"},
        {dir / "absent.wav", dir / "b.log", "-11.006"},
        {mono, dir / "no-such-folder" / "c.log", "-10.006"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        LiveEngine engine(c.input, c.log, liveProject(""), status, command);
        ASSERT_TRUE(engine.waitForEnd(120s));
        EXPECT_EQ(statusValue(statusLine()), c.expected);
    }
}

// In-process live runs on the platform's fake devices.
class LiveFakes : public ::testing::Test {
  protected:
    velt::test::TempDir dir;
    platform::wave_in::FakeWaveIn input;
    platform::midi_out::RecordingMidiOut output;
    int64_t delivered = 0;

    // Captures n more samples; sample i holds i mod 20000.
    void feed(int64_t n) {
        std::vector<int16_t> samples(static_cast<size_t>(n));
        for (auto& sample : samples) sample = int16_t(delivered++ % 20000);
        input.deliver(samples);
    }

    // The messages sent so far, a reset shown as {0xFF}.
    std::vector<std::vector<uint8_t>> sent() const {
        std::vector<std::vector<uint8_t>> messages;
        for (const auto& event : output.events) {
            using Kind = platform::midi_out::RecordingMidiOut::Event::Kind;
            if (event.kind == Kind::Message) messages.push_back(event.bytes);
            if (event.kind == Kind::Reset) messages.push_back({0xFF});
        }
        return messages;
    }

    RunOutcome setUp(const std::string& extra) {
        resetRun();
        RunState& state = run();
        state.files.status.path = (dir / "s.txt").string();
        state.files.command = (dir / "c.txt").string();
        platform::wave_in::useDevices(&input);
        output.events.clear();
        platform::midi_out::useDevices(&output);
        fs::path project =
            writeProject(dir / "l.vpr", "AudioFile=\nKeyMin=48\nKeyMax=84\n" + extra);
        try {
            ReadProject(project.string());
            SetUpAnalysis();
        } catch (const RunOutcome& outcome) {
            return outcome;
        }
        return {};
    }
    void TearDown() override {
        resetRun();
        platform::midi_out::useDevices(nullptr);
        platform::wave_in::useDevices(nullptr);
    }
};

TEST_F(LiveFakes, CaptureErrorPaths) {
    input.reportsPosition = false;
    RunOutcome noPosition = setUp("");
    EXPECT_EQ(noPosition.type, 11);
    EXPECT_EQ(noPosition.detail, 98);
    input.reportsPosition = true;
    input.ringFails = true;
    RunOutcome noBuffer = setUp("");
    EXPECT_EQ(noBuffer.type, 11);
    EXPECT_EQ(noBuffer.detail, 99);
    EXPECT_EQ(statusValue(velt::test::readFile(dir / "s.txt")), "-11.099");
}

TEST_F(LiveFakes, FramesTakeTheNewestSamples) {
    ASSERT_EQ(setUp("").type, 0);
    const int length = run().geo().blockLength;
    const std::vector<int>& samples = run().analysis.samples;
    // Fewer samples than a frame: they start the frame, the rest is silence.
    feed(100);
    ReadLiveSamples();
    EXPECT_EQ(samples[1], 0);
    EXPECT_EQ(samples[100], 99);
    EXPECT_EQ(samples[101], 0);
    // A whole frame and more: the newest samples.
    feed(length + 400);
    int peak = ReadLiveSamples();
    const int64_t first = delivered - length;
    EXPECT_EQ(samples[1], int(first % 20000));
    EXPECT_EQ(samples[size_t(length)], int((delivered - 1) % 20000));
    EXPECT_GT(peak, 0);
    // Only 10 new samples: the frame is the newest samples again, moved by 10.
    feed(10);
    ReadLiveSamples();
    EXPECT_EQ(samples[1], int((first + 10) % 20000));
    // Nothing new at all: still the newest frame.
    ReadLiveSamples();
    EXPECT_EQ(samples[1], int((first + 10) % 20000));
}

TEST_F(LiveFakes, SetUpSendsProgramAndPanAndCommandsAct) {
    ASSERT_EQ(setUp("Patch=33\nChannel=3\n").type, 0);
    ASSERT_GE(sent().size(), 2u);
    EXPECT_EQ(sent()[0], (std::vector<uint8_t>{0xC2, 33}));
    EXPECT_EQ(sent()[1], (std::vector<uint8_t>{0xB2, 10, 64}));
    EXPECT_EQ(run().geo().beatsPerSecond, 2.0) << "no tempo given: 120 BPM";

    run().loop.lastPeak = 1000;
    velt::test::writeFile(dir / "c.txt", "2");
    PollCommandFile();
    EXPECT_EQ(run().loop.inputThreshold, 2000) << "the next frames are classified with it";
    output.events.clear();
    // The program as the bridge writes it, without a line end: taken once it has stood a moment
    // (digits might still follow).
    velt::test::writeFile(dir / "c.txt", "3 71");
    const auto limit = std::chrono::steady_clock::now() + 60s;
    while (fs::exists(dir / "c.txt") && std::chrono::steady_clock::now() < limit) {
        PollCommandFile();
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(sent(), (std::vector<std::vector<uint8_t>>{{0xC2, 71}}));

    // Cancel: the output is reset before the final status.
    velt::test::writeFile(dir / "c.txt", "1");
    RunOutcome outcome;
    try {
        PollCommandFile();
    } catch (const RunOutcome& o) {
        outcome = o;
    }
    EXPECT_EQ(outcome.type, 1);
    EXPECT_EQ(sent().back(), (std::vector<uint8_t>{0xFF}));
    EXPECT_EQ(statusValue(velt::test::readFile(dir / "s.txt")), "-1.000");
}

TEST_F(LiveFakes, DrumChannelProgramIsZero) {
    ASSERT_EQ(setUp("Channel=10\nMidiPat=38\nActive0=1\n").type, 0);
    ASSERT_FALSE(sent().empty());
    EXPECT_EQ(sent()[0], (std::vector<uint8_t>{0xC9, 0}));
    output.events.clear();
    SendLiveProgram(40);
    EXPECT_EQ(sent(), (std::vector<std::vector<uint8_t>>{{0xC9, 0}}));
}

}  // namespace
}  // namespace velt::engine::test
