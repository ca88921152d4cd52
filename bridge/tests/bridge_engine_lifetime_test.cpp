// The real engine's lifetime around the bridge, with the file-backed sound input and the MIDI
// log device: a live run whose starter is killed ends by itself as a cancel would, and a stopped
// (hung) engine is given up so that a later conversion works.
#include <signal.h>

#include "bridge_fixture.h"
#include "platform/process/process.h"
#include "platform/process/process_list.h"

namespace fs = std::filesystem;
using velt::test::BridgeTest;
using velt::test::processState;
using velt::test::readFile;
using velt::test::runCommand;
using velt::test::shellQuote;
using velt::test::waitFor;
using velt::test::writeFile;

namespace {

// Gone, or a zombie that its new parent has not collected yet: it runs no more either way.
bool runsNoMore(pid_t pid) {
    char state = processState(pid);
    return state == 0 || state == 'Z' || state == 'X';
}

// The MIDI log ends as a finished live run leaves it: the output reset, then closed.
bool outputResetAndClosed(const fs::path& log) {
    std::vector<std::string> lines = velt::test::splitLines(readFile(log));
    auto endsWith = [](const std::string& line, const std::string& tail) {
        return line.size() >= tail.size() &&
               line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
    };
    return lines.size() >= 2 && endsWith(lines[lines.size() - 2], " reset") &&
           endsWith(lines.back(), " close");
}

class EngineLifetime : public BridgeTest {
  protected:
    EngineLifetime() {
        std::string made = runCommand("sox -D -n -r 44100 -c 1 -b 16 " + shellQuote(wav_.string()) +
                                      " synth 1 sine 440 gain -6 2>&1")
                               .output;
        EXPECT_TRUE(fs::exists(wav_)) << made;
        writeFile(liveProject_,
                  "[audio]\nAudioFile=\n[pitch]\nPitchMode=1\n[midi]\nMidiFile=\n"
                  "[timing]\nTempo=120\n");
    }

    // The engines running on this test's exchange files.
    std::vector<pid_t> engines() const {
        return velt::platform::processesWithArguments(statusFile().string(),
                                                      commandFile().string());
    }
    // Waits for the live run to report levels: the engine is then in its frame loop.
    bool liveRunGoing() const {
        return waitFor([&] {
            std::string line = fs::exists(statusFile()) ? readFile(statusFile()) : "";
            return !line.empty() && line[0] != '-' && !engines().empty();
        });
    }

    fs::path wav_ = root_ / "input.wav";
    fs::path log_ = root_ / "midi.log";
    fs::path liveProject_ = root_ / "live.vpr";
    velt::test::ScopedEnv installedEngine_{"VELTRANE_SYSTEM_DIR", std::nullopt};
    velt::test::ScopedEnv input_{"VELTRANE_WAVEIN_FILE", wav_.string()};
    velt::test::ScopedEnv output_{"VELTRANE_MIDIOUT_LOG", log_.string()};
};

}  // namespace

TEST_F(EngineLifetime, ALiveRunWhoseStarterIsKilledEndsAsACancel) {
    // The starter: a separate program that loads the library, starts the run and waits.
    const fs::path started = root_ / "started";
    const std::string script =
        "import ctypes, sys, time\n"
        "result = ctypes.CDLL(sys.argv[1]).BeginConvert(sys.argv[2].encode())\n"
        "open(sys.argv[3] + '.part', 'w').write(str(result))\n"
        "import os; os.rename(sys.argv[3] + '.part', sys.argv[3])\n"
        "time.sleep(120)\n";
    std::optional<pid_t> starter = velt::platform::startDetached(
        "/usr/bin/python3",
        {"python3", "-c", script, (velt::test::libDir() / "libkvxvtpd.so").string(),
         liveProject_.string(), started.string()});
    ASSERT_TRUE(starter);
    ASSERT_TRUE(waitFor([&] { return fs::exists(started); }));
    ASSERT_EQ(readFile(started), "0");
    ASSERT_TRUE(liveRunGoing());
    const pid_t engine = engines().front();

    kill(*starter, SIGKILL);
    ASSERT_TRUE(waitFor([&] { return !velt::platform::isAlive(*starter); }));
    EXPECT_TRUE(waitFor([&] { return runsNoMore(engine); }));
    EXPECT_TRUE(engines().empty());
    EXPECT_EQ(readFile(statusFile()).substr(0, 7), "-1.000 ") << "ended as a cancel does";
    EXPECT_TRUE(outputResetAndClosed(log_)) << readFile(log_);
}

TEST_F(EngineLifetime, AStoppedEngineIsGivenUpAndALaterConversionWorks) {
    ASSERT_EQ(BeginConvert(liveProject_.c_str()), 0);
    ASSERT_TRUE(liveRunGoing());
    const pid_t engine = engines().front();
    kill(engine, SIGSTOP);
    ASSERT_TRUE(waitFor([&] { return processState(engine) == 'T'; }));
    ASSERT_EQ(CancelConvert(), 0);  // never read: the engine is stopped

    EXPECT_EQ(AbandonConvert(), 0);
    EXPECT_EQ(processState(engine), 0) << "ended and collected";
    EXPECT_TRUE(engines().empty());
    EXPECT_FALSE(fs::exists(statusFile()));
    EXPECT_FALSE(fs::exists(commandFile()));
    EXPECT_TRUE(outputResetAndClosed(log_)) << "it stopped as a cancel does\n" << readFile(log_);

    const fs::path midi = root_ / "later.mid";
    const fs::path project = root_ / "later.vpr";
    writeFile(project, "[audio]\nAudioFile=" + wav_.string() +
                           "\n[midi]\nMidiFile=" + midi.string() +
                           "\n[timing]\nTempo=120\nTimeSignatureNumerator=4\n"
                           "ChordRes=2\n");
    ASSERT_EQ(BeginConvert(project.c_str()), 0);
    std::vector<ConvertStatus> seen = pollUntilEnd(60);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().status, 100000.0f);
    EXPECT_EQ(readFile(midi).substr(0, 4), "MThd");
}
