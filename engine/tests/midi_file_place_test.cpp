// The engine program and the user's MIDI file: a run replaces an earlier file only when it ends
// with a MIDI file (success, cancel, SIGTERM); a killed run leaves the earlier file as it was and
// its working file is replaced by the next run; a MIDI file name that is not a regular file is
// refused and left alone.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <functional>
#include <thread>

#include "engine_fixtures.h"
#include "midi/midi_file_place.h"
#include "platform/process/process.h"

namespace velt::engine::test {
namespace {

bool waitFor(const std::function<bool()>& condition, int seconds = 60) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Readers accept the file: midicsv reads it to its End of Track.
void expectCompleteMidi(const fs::path& file) {
    auto csv = runCommand("midicsv " + shellQuote(file.string()) + " 2>&1");
    EXPECT_EQ(csv.exitCode, 0) << csv.output;
    EXPECT_NE(csv.output.find("End_track"), std::string::npos);
}

class MidiFilePlace : public ::testing::Test {
  protected:
    velt::test::TempDir dir;
    fs::path shortWav = makeWav(dir / "short.wav", 22050, 16, 1, "2 sine 220-880");
    fs::path status = dir / "status.txt";
    fs::path command = dir / "command.txt";
    fs::path midi = dir / "song.mid";
    const std::string earlier = "the user's earlier result";

    EngineRun convert(const fs::path& wav, const fs::path& target) {
        return runEngine(writeProject(dir / "p.vpr", timedProject(wav, target)), status, command);
    }

    // Starts the engine on a long file and waits until its run is under way (the MIDI file is
    // open then); the caller ends it.
    pid_t startLongRun() {
        fs::path wav = makeWav(dir / "long.wav", 22050, 16, 1, "120 sine 220-880");
        fs::path project = writeProject(dir / "long.vpr", timedProject(wav, midi));
        fs::path engine = velt::test::binDir() / "kvxvtpd64";
        std::optional<pid_t> pid = platform::startDetached(
            engine, {engine.string(), project.string(), status.string(), command.string()});
        EXPECT_TRUE(pid);
        EXPECT_TRUE(waitFor([&] {
            std::string line = velt::test::readFile(status);
            return !line.empty() && line[0] != '0' && line[0] != '-';
        })) << "progress reported";
        return pid.value_or(0);
    }
    void waitForExit(pid_t pid) {
        if (pid <= 0) return;
        EXPECT_TRUE(waitFor([&] { return !platform::isAlive(pid); }));
    }
};

TEST_F(MidiFilePlace, ARunThatEndsWithAMidiFileReplacesTheEarlierOne) {
    struct Case {
        const char* name;
        const char* command;  // in the command file before the start
        const char* outcome;
    };
    const Case cases[] = {
        {"success", nullptr, "100000.000"},
        {"cancel", "1", "-1.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        velt::test::writeFile(midi, earlier);
        chmod(midi.c_str(), 0640);
        if (c.command != nullptr) velt::test::writeFile(command, c.command);
        EXPECT_EQ(statusValue(convert(shortWav, midi).status), c.outcome);
        expectCompleteMidi(midi);
        EXPECT_FALSE(fs::exists(MidiWorkPath(midi.string())));
        struct stat info {};
        ASSERT_EQ(stat(midi.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file's permissions are kept";
    }

    // A link to the result keeps pointing at it; the file it names is replaced.
    fs::path real = dir / "real.mid";
    fs::path link = dir / "link.mid";
    velt::test::writeFile(real, earlier);
    fs::create_symlink(real, link);
    EXPECT_EQ(statusValue(convert(shortWav, link).status), "100000.000");
    EXPECT_TRUE(fs::is_symlink(link));
    expectCompleteMidi(real);
}

TEST_F(MidiFilePlace, AKilledRunLeavesTheEarlierFileAndTheNextRunCleansUp) {
    velt::test::writeFile(midi, earlier);
    pid_t engine = startLongRun();
    ASSERT_GT(engine, 0);
    kill(engine, SIGKILL);
    waitForExit(engine);
    EXPECT_EQ(velt::test::readFile(midi), earlier);
    EXPECT_TRUE(fs::exists(MidiWorkPath(midi.string()))) << "what the killed run wrote";

    EXPECT_EQ(statusValue(convert(shortWav, midi).status), "100000.000");
    expectCompleteMidi(midi);
    EXPECT_FALSE(fs::exists(MidiWorkPath(midi.string())));
}

TEST_F(MidiFilePlace, SigtermEndsTheRunAsACancel) {
    velt::test::writeFile(midi, earlier);
    pid_t engine = startLongRun();
    ASSERT_GT(engine, 0);
    kill(engine, SIGTERM);
    waitForExit(engine);
    EXPECT_EQ(statusValue(velt::test::readFile(status)), "-1.000");
    expectCompleteMidi(midi);
    EXPECT_FALSE(fs::exists(MidiWorkPath(midi.string())));
}

TEST_F(MidiFilePlace, AMidiFileThatIsNotARegularFileIsRefusedAndLeftAlone) {
    fs::path fifo = dir / "fifo.mid";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::path folder = dir / "folder.mid";
    fs::create_directory(folder);
    fs::path linkToFolder = dir / "folder-link.mid";
    fs::create_directory_symlink(folder, linkToFolder);
    struct Case {
        const char* name;
        fs::path target;
        fs::file_type type;
    };
    const Case cases[] = {
        {"device", "/dev/null", fs::file_type::character},
        {"fifo", fifo, fs::file_type::fifo},
        {"folder", folder, fs::file_type::directory},
        {"link to a folder", linkToFolder, fs::file_type::symlink},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(statusValue(convert(shortWav, c.target).status), "-3.006");
        EXPECT_EQ(fs::symlink_status(c.target).type(), c.type) << "left as it was";
        EXPECT_FALSE(fs::exists(MidiWorkPath(c.target.string())));
    }
}

}  // namespace
}  // namespace velt::engine::test
