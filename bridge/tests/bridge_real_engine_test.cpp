// The bridge driving the real engine, found where an installation puts it: build/bin beside the
// library's build/lib (no VELTRANE_SYSTEM_DIR).
#include <sys/resource.h>

#include <cmath>
#include <csignal>

#include "bridge_fixture.h"

namespace fs = std::filesystem;
using velt::test::BridgeTest;
using velt::test::runCommand;
using velt::test::shellQuote;
using velt::test::waitFor;
using velt::test::writeFile;

namespace {

class RealEngineBridge : public BridgeTest {
  protected:
    RealEngineBridge() { EXPECT_TRUE(fs::exists(velt::test::binDir() / "kvxvtpd64")); }

    // A mono 16-bit WAV of rising tones, made by sox.
    fs::path makeWav(const std::string& name, int seconds) {
        fs::path wav = root_ / name;
        std::string command = "sox -D -n -r 22050 -c 1 -b 16 " + shellQuote(wav.string()) +
                              " synth " + std::to_string(seconds) + " sine 220-880 gain -6 2>&1";
        velt::test::CommandResult made = runCommand(command);
        EXPECT_EQ(made.exitCode, 0) << made.output;
        return wav;
    }

    fs::path makeProject(const fs::path& wav, const fs::path& midi) {
        fs::path project = root_ / "song project.vpr";
        writeFile(project, "[audio]\nAudioFile=" + wav.string() +
                               "\n[midi]\nMidiFile=" + midi.string() +
                               "\n[timing]\nTempo=120\nTimeSignatureNumerator=4\nChordRes=2\n");
        return project;
    }

    velt::test::ScopedEnv installedEngine_{"VELTRANE_SYSTEM_DIR", std::nullopt};
};

// Progress goes up, never down, and the run ends with 100000 and a MIDI file.
void expectCompleteRun(const std::vector<ConvertStatus>& seen, const fs::path& midi) {
    ASSERT_FALSE(seen.empty());
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_LE(seen[i - 1].status, seen[i].status) << "read " << i;
    EXPECT_EQ(seen.back().status, 100000.0f);
    EXPECT_TRUE(fs::exists(midi));
    EXPECT_EQ(velt::test::readFile(midi).substr(0, 4), "MThd");
}

}  // namespace

TEST_F(RealEngineBridge, ConvertsAShortWavFromStartToFinish) {
    fs::path midi = root_ / "short.mid";
    fs::path project = makeProject(makeWav("short.wav", 2), midi);
    ASSERT_EQ(BeginConvert(project.c_str()), 0);
    expectCompleteRun(pollUntilEnd(60), midi);
    ConvertStatus record{};
    EXPECT_EQ(GetStatus(&record), 1);
    EXPECT_FALSE(fs::exists(statusFile()));
}

TEST_F(RealEngineBridge, ConvertsAMinuteLongWavAndRefusesASecondStartMeanwhile) {
    fs::path midi = root_ / "long.mid";
    fs::path project = makeProject(makeWav("long.wav", 60), midi);
    ASSERT_EQ(BeginConvert(project.c_str()), 0);
    EXPECT_EQ(BeginConvert(project.c_str()), 2);
    std::vector<ConvertStatus> seen = pollUntilEnd(240);
    expectCompleteRun(seen, midi);
    EXPECT_GT(seen.size(), 2u) << "progress was seen on the way";
}

TEST_F(RealEngineBridge, ACancelEndsTheRunWithMinusOneAndLeavesTheBridgeIdle) {
    fs::path midi = root_ / "cancelled.mid";
    fs::path project = makeProject(makeWav("long.wav", 60), midi);
    ASSERT_EQ(BeginConvert(project.c_str()), 0);
    ConvertStatus record{};
    ASSERT_TRUE(waitFor([&] { return GetStatus(&record) == 0 && record.status > 0; }, 60));
    ASSERT_LT(record.status, 100.0f) << "still running when the cancel is sent";
    ASSERT_EQ(CancelConvert(), 0);
    std::vector<ConvertStatus> seen = pollUntilEnd(60);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().status, -1.0f);
    EXPECT_EQ(GetStatus(&record), 1);
    EXPECT_EQ(CancelConvert(), 1);
    EXPECT_FALSE(fs::exists(commandFile()));
}

// An engine that can write no file (here: a file size limit of 0 bytes; a full exchange folder
// alike) ends saying so by its exit status, and the run's outcome is that, not a vanished engine.
TEST_F(RealEngineBridge, AStatusFileThatCannotBeWrittenIsReportedAsSuch) {
    fs::path midi = root_ / "limited.mid";
    fs::path project = makeProject(makeWav("limited.wav", 1), midi);
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit none = saved;
    none.rlim_cur = 0;
    // The engine inherits the limit and the ignored signal (a write past the limit then fails
    // instead of ending the process).
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    const int begun = BeginConvert(project.c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    ASSERT_EQ(begun, 0);
    const std::vector<ConvertStatus> seen = pollUntilEnd(60);
    ASSERT_FALSE(seen.empty());
    EXPECT_FLOAT_EQ(seen.back().status, -8.001f);
    EXPECT_FALSE(fs::exists(midi));
}
