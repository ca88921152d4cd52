// Live runs: sound-card input through the file device, notes to the MIDI log device, commands,
// cancel, open failures; fake devices for the capture's own error paths and frame rule.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "driver/run_conversion.h"
#include "engine_fixtures.h"
#include "live/live_io.h"
#include "platform/midi_out/midi_out.h"
#include "platform/wave_io/fake_wave_in.h"

extern char** environ;

namespace velt::engine::test {
namespace {

using namespace std::chrono_literals;

// The engine started as a live run with the file input and log output devices. The process is
// ended by its id if a test leaves it running.
class LiveEngine {
  public:
    LiveEngine(const fs::path& wav, const fs::path& log, const fs::path& project,
               const fs::path& status, const fs::path& command) {
        std::vector<std::string> env = {"VELTRANE_WAVEIN_FILE=" + wav.string(),
                                        "VELTRANE_MIDIOUT_LOG=" + log.string()};
        for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string engine = (velt::test::binDir() / "kvxvtpd64").string();
        std::vector<std::string> args = {engine, project.string(), status.string(),
                                         command.string()};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        started_ =
            posix_spawn(&pid_, engine.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~LiveEngine() {
        if (running()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool started() const { return started_; }
    bool running() {
        if (!started_ || ended_) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            ended_ = true;
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return !ended_;
    }
    // Waits up to limit for the process to end; true when it did.
    bool waitForEnd(std::chrono::milliseconds limit) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (running() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(5ms);
        }
        return !running();
    }
    int exitCode() const { return exitCode_; }

  private:
    pid_t pid_ = -1;
    bool started_ = false;
    bool ended_ = false;
    int exitCode_ = -1;
};

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
};

TEST_F(LiveProgram, SineMelodyPlaysItsKeysInOrder) {
    // C D E F G, 0.4 s each, at -3 dB.
    std::string synth;
    for (const char* f : {"261.63", "293.66", "329.63", "349.23", "392"}) {
        if (!synth.empty()) synth += " : synth";
        synth += std::string(" 0.4 sine ") + f + " fade 0.01 0.4 0.02";
    }
    fs::path wav = makeWav(dir / "melody_cdefg.wav", 44100, 16, 1, synth.substr(1) + " gain -3");
    LiveEngine engine(wav, log, liveProject("OutputThreshold=40\nPatch=5\n"), status, command);
    ASSERT_TRUE(engine.started());

    std::this_thread::sleep_for(900ms);
    // While it runs: field 1 is the input level, the tempo is the live default.
    std::string running = statusLine();
    ASSERT_FALSE(running.empty());
    EXPECT_GE(std::stod(statusValue(running)), 0.0) << running;
    EXPECT_NE(running.find(" 120.000000 "), std::string::npos) << running;
    velt::test::writeFile(command, "3 40");

    std::this_thread::sleep_for(1600ms);
    EXPECT_TRUE(engine.running());
    velt::test::writeFile(command, "1");
    auto cancelled = std::chrono::steady_clock::now();
    ASSERT_TRUE(engine.waitForEnd(5s));
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, 1s) << "ends within a frame";
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
    fs::path wav = dir / "speech_44100.wav";
    auto converted = runCommand("sox -D " + shellQuote(speech.string()) + " -r 44100 -b 16 -c 1 " +
                                shellQuote(wav.string()) + " 2>&1");
    ASSERT_EQ(converted.exitCode, 0) << converted.output;
    LiveEngine engine(wav, log, liveProject("PitchMode=1\nKeyMin=36\n"), status, command);
    ASSERT_TRUE(engine.started());
    std::this_thread::sleep_for(2500ms);
    velt::test::writeFile(command, "1");
    ASSERT_TRUE(engine.waitForEnd(5s));
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
        ASSERT_TRUE(engine.waitForEnd(5s));
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
        state.files.statusPath = (dir / "s.txt").string();
        state.files.commandPath = (dir / "c.txt").string();
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
    const int length = run().geo.blockLength;
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
    EXPECT_EQ(run().geo.beatsPerSecond, 2.0) << "no tempo given: 120 BPM";

    run().loop.lastPeak = 1000;
    velt::test::writeFile(dir / "c.txt", "2");
    PollCommandFile();
    EXPECT_EQ(run().settings.InputThreshold, 2000);
    output.events.clear();
    velt::test::writeFile(dir / "c.txt", "3 71");
    PollCommandFile();
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
