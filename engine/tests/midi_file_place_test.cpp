// The engine program and the user's MIDI file: a run replaces an earlier file only when it ends
// with a MIDI file (success, or a cancel the user asked for); a killed run, or one stopped by a
// signal or the loss of its starter, leaves the earlier file as it was, and a killed run's
// working file is removed by the next run; two runs on one target each write a file of their
// own; a MIDI file name that is not a regular file, or a file that is not a MIDI file, is
// refused and left alone.
#include "midi/midi_file_place.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "engine_fixtures.h"
#include "midicsv_reader.h"
#include "platform/process/process.h"
#include "platform/process/process_list.h"

namespace velt::engine::test {
namespace {

// The working files of the target's runs (each run has its own, beside the target).
std::vector<fs::path> workFiles(const fs::path& target) {
    const std::string prefix = fs::path(MidiWorkPrefix(target.string())).filename().string();
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(target.parent_path())) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0) found.push_back(entry.path());
    }
    return found;
}

bool waitFor(const std::function<bool()>& condition, int seconds = 60) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The user the permission tests run the engine as: the test's own, or under root (whom file
// permissions do not stop) the unprivileged "nobody".
struct EngineUser {
    uid_t uid = 0;
    gid_t gid = 0;
    bool dropsRoot = false;
};
std::optional<EngineUser> unprivilegedUser() {
    if (geteuid() != 0) return EngineUser{geteuid(), getegid(), false};
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) return std::nullopt;
    return EngineUser{nobody->pw_uid, nobody->pw_gid, true};
}

// Starts `engine` as the user: the child gives up root, if it has it, before the engine runs.
pid_t startEngineAs(const EngineUser& user, const fs::path& enginePath,
                    const std::vector<std::string>& arguments) {
    const std::string engine = enginePath.string();
    std::vector<std::string> args = {engine};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) dup2(quiet, 1);
        if (user.dropsRoot &&
            (setgroups(0, nullptr) != 0 || setgid(user.gid) != 0 || setuid(user.uid) != 0))
            _exit(127);
        execv(engine.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

// The exit code of the process, -1 when it did not exit normally.
int waitForExitCode(pid_t pid) {
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Readers accept the file: midicsv reads it to its End of Track.
void expectCompleteMidi(const fs::path& file) {
    const auto midi = velt::test::readMidi(file);
    EXPECT_GT(midi.count("End_track"), 0u) << midi.text;
}

class MidiFilePlace : public ::testing::Test {
  protected:
    velt::test::TempDir dir;
    fs::path shortWav = makeWav(dir / "short.wav", 22050, 16, 1, "2 sine 220-880");
    fs::path status = dir / "status.txt";
    fs::path command = dir / "command.txt";
    fs::path midi = dir / "song.mid";
    const std::string earlier = "MThd, the user's earlier result";

    EngineRun convert(const fs::path& wav, const fs::path& target) {
        return runEngine(writeProject(dir / "p.vpr", timedProject(wav, target)), status, command);
    }

    // Starts the engine on a long file and waits until its run is under way (the MIDI file is
    // open then); the caller ends it. With a starter, the engine is started by a shell whose id
    // is returned (killing it leaves the engine without its starter).
    pid_t startLongRun(bool withStarter = false) {
        fs::path wav = makeWav(dir / "long.wav", 22050, 16, 1, "120 sine 220-880");
        fs::path project = writeProject(dir / "long.vpr", timedProject(wav, midi));
        fs::path engine = velt::test::binDir() / "kvxvtpd64";
        std::vector<std::string> run = {engine.string(), project.string(), status.string(),
                                        command.string()};
        std::optional<pid_t> pid =
            withStarter
                ? platform::startDetached("/bin/sh", {"sh", "-c", "\"$0\" \"$@\" & exec sleep 600",
                                                      run[0], run[1], run[2], run[3]})
                : platform::startDetached(engine, run);
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
        EXPECT_TRUE(workFiles(midi).empty());
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
    EXPECT_EQ(workFiles(midi).size(), 1u) << "what the killed run wrote";

    EXPECT_EQ(statusValue(convert(shortWav, midi).status), "100000.000");
    expectCompleteMidi(midi);
    EXPECT_TRUE(workFiles(midi).empty());
}

// Nobody asked for these ends: the run ends as a cancel, and its partial result is dropped.
TEST_F(MidiFilePlace, ARunStoppedFromOutsideKeepsTheEarlierFile) {
    struct Case {
        const char* name;
        bool withStarter;
        int signal;  // sent to the engine, or (with a starter) SIGKILL to the starter
    };
    const Case cases[] = {
        {"SIGTERM", false, SIGTERM},
        {"SIGINT", false, SIGINT},
        {"the starter is killed", true, SIGKILL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        velt::test::writeFile(midi, earlier);
        fs::remove(status);
        pid_t started = startLongRun(c.withStarter);
        ASSERT_GT(started, 0);
        std::vector<pid_t> engines =
            platform::processesWithArguments(status.string(), command.string());
        ASSERT_EQ(engines.size(), 1u);
        kill(started, c.signal);
        waitForExit(started);
        EXPECT_TRUE(waitFor([&] { return !platform::isAlive(engines[0]); }));
        EXPECT_EQ(statusValue(velt::test::readFile(status)), "-1.000");
        EXPECT_EQ(velt::test::readFile(midi), earlier);
        EXPECT_TRUE(workFiles(midi).empty());
    }
}

// Two runs on one target (two desktop programs with private folders, or the engine started by
// hand beside one): each writes a file of its own and places only that one, so the target is
// always one run's whole output, and each reports what happened to it.
TEST_F(MidiFilePlace, TwoRunsOnOneTargetNeverDamageIt) {
    fs::path wav = makeWav(dir / "long.wav", 22050, 16, 1, "300 sine 220-880");
    fs::path project = writeProject(dir / "long.vpr", timedProject(wav, midi));
    fs::path engine = velt::test::binDir() / "kvxvtpd64";
    const fs::path firstStatus = dir / "first-status.txt";
    std::optional<pid_t> first =
        platform::startDetached(engine, {engine.string(), project.string(), firstStatus.string(),
                                         (dir / "first-command.txt").string()});
    ASSERT_TRUE(first);
    // The first run holds its working file (created and locked before the first block):
    // stopped there while the second runs whole.
    ASSERT_TRUE(waitFor([&] {
        const double progress = std::atof(velt::test::readFile(firstStatus).c_str());
        return progress > 0 && progress < 100;
    })) << "progress reported";
    kill(*first, SIGSTOP);
    ASSERT_EQ(workFiles(midi).size(), 1u);
    const std::vector<fs::path> held = workFiles(midi);

    EXPECT_EQ(statusValue(runEngine(project, status, command).status), "100000.000");
    const std::vector<unsigned char> single = velt::test::readBytes(midi);
    expectCompleteMidi(midi);
    EXPECT_EQ(workFiles(midi), held) << "a running engine's working file is left to it";

    kill(*first, SIGCONT);
    waitForExit(*first);
    EXPECT_EQ(statusValue(velt::test::readFile(firstStatus)), "100000.000");
    EXPECT_EQ(velt::test::readBytes(midi), single) << "the first run's whole output";
    EXPECT_TRUE(workFiles(midi).empty());

    // Side by side from the start: the same whole output, both runs successful.
    fs::remove(midi);
    std::optional<pid_t> again =
        platform::startDetached(engine, {engine.string(), project.string(), firstStatus.string(),
                                         (dir / "first-command.txt").string()});
    ASSERT_TRUE(again);
    EXPECT_EQ(statusValue(runEngine(project, status, command).status), "100000.000");
    waitForExit(*again);
    EXPECT_EQ(statusValue(velt::test::readFile(firstStatus)), "100000.000");
    EXPECT_EQ(velt::test::readBytes(midi), single);
    EXPECT_TRUE(workFiles(midi).empty());
}

// A project may name any file: one that is not a MIDI file (a text, a program's settings) is
// never replaced; an empty file or an earlier MIDI file is.
TEST_F(MidiFilePlace, AFileThatIsNotAMidiFileIsNeverReplaced) {
    struct Case {
        const char* name;
        std::string content;
        const char* outcome;
    };
    const Case cases[] = {
        {"shell settings", "export PATH=$HOME/bin:$PATH\n", "-3.006"},
        {"three bytes", "MTh", "-3.006"},
        {"a WAV file", "RIFFxxxxWAVEfmt ", "-3.006"},
        {"empty", "", "100000.000"},
        {"a MIDI file", earlier, "100000.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        velt::test::writeFile(midi, c.content);
        EXPECT_EQ(statusValue(convert(shortWav, midi).status), c.outcome);
        if (std::string(c.outcome) == "-3.006") {
            EXPECT_EQ(velt::test::readFile(midi), c.content) << "left as it was";
        } else {
            expectCompleteMidi(midi);
        }
        EXPECT_TRUE(workFiles(midi).empty());
    }
    // Through a link, the file it names counts.
    fs::path settings = dir / "settings.txt";
    fs::path link = dir / "link.mid";
    velt::test::writeFile(settings, "color=blue\n");
    fs::create_symlink(settings, link);
    EXPECT_EQ(statusValue(convert(shortWav, link).status), "-3.006");
    EXPECT_EQ(velt::test::readFile(settings), "color=blue\n");
    EXPECT_TRUE(fs::is_symlink(link));
}

// A MIDI file its user made read-only is protected as a program that opens it for writing would
// find it: the run ends with -3.006 and the file is left as it was, also through a link and also
// when it is made read-only while the run goes on. (The working file renamed over it would need
// only the folder's permission: before, `chmod 444` did not protect a result.) The engine runs
// as an unprivileged user, since root may write any file.
TEST_F(MidiFilePlace, AFileTheUserMayNotWriteIsNeverReplaced) {
    const std::optional<EngineUser> user = unprivilegedUser();
    ASSERT_TRUE(user) << "no user \"nobody\" to run the engine as";
    // A folder of the user's own, inside the test's folder that the user may pass through.
    const fs::path home = dir / "user";
    fs::create_directory(home);
    chmod(dir.path().c_str(), 0711);
    auto give = [&](const fs::path& path) {
        if (user->dropsRoot) {
            ASSERT_EQ(lchown(path.c_str(), user->uid, user->gid), 0) << path;
        }
    };
    give(home);
    // The build folder may lie where the user cannot reach (a checkout in root's home): the
    // user runs a copy of the engine from the test's folder.
    const fs::path engine = dir / "kvxvtpd64";
    fs::copy_file(velt::test::binDir() / "kvxvtpd64", engine);
    fs::permissions(engine, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    const fs::path real = home / "real.mid", link = home / "link.mid";
    const fs::path userStatus = home / "status.txt", userCommand = home / "command.txt";
    auto run = [&](const fs::path& wav, const fs::path& target) {
        const fs::path project = writeProject(home / "p.vpr", timedProject(wav, target));
        give(project);
        return startEngineAs(*user, engine,
                             {project.string(), userStatus.string(), userCommand.string()});
    };
    auto mode = [](const fs::path& path) {
        struct stat info {};
        return stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0u;
    };

    struct Case {
        const char* name;
        mode_t mode;
        std::string content;
        bool throughLink;
        const char* outcome;
    };
    const Case cases[] = {
        {"read-only MIDI file", 0444, earlier, false, "-3.006"},
        {"read-only empty file", 0444, "", false, "-3.006"},
        {"link to a read-only MIDI file", 0444, earlier, true, "-3.006"},
        {"writable MIDI file", 0644, earlier, false, "100000.000"},
        {"link to a writable MIDI file", 0600, earlier, true, "100000.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        velt::test::writeFile(real, c.content);
        give(real);
        chmod(real.c_str(), c.mode);
        if (c.throughLink) {
            fs::create_symlink(real, link);
            give(link);
        }
        EXPECT_EQ(waitForExitCode(run(shortWav, c.throughLink ? link : real)), 0);
        EXPECT_EQ(statusValue(velt::test::readFile(userStatus)), c.outcome);
        if (std::string(c.outcome) == "-3.006") {
            EXPECT_EQ(velt::test::readFile(real), c.content) << "left as it was";
        } else {
            expectCompleteMidi(real);
        }
        EXPECT_EQ(mode(real), c.mode);
        if (c.throughLink) {
            EXPECT_TRUE(fs::is_symlink(link));
        }
        EXPECT_TRUE(workFiles(real).empty());
        fs::remove(link);
        fs::remove(real);
    }

    // Made read-only while the run goes on: the cancel's result is not placed over it.
    const fs::path longWav = makeWav(dir / "long.wav", 22050, 16, 1, "120 sine 220-880");
    velt::test::writeFile(real, earlier);
    give(real);
    fs::remove(userStatus);
    const pid_t longRun = run(longWav, real);
    ASSERT_GT(longRun, 0);
    EXPECT_TRUE(waitFor([&] {
        const double progress = std::atof(velt::test::readFile(userStatus).c_str());
        return progress > 0 && progress < 100;
    })) << "progress reported";
    chmod(real.c_str(), 0444);
    velt::test::writeFile(userCommand, "1");
    EXPECT_EQ(waitForExitCode(longRun), 0);
    EXPECT_EQ(statusValue(velt::test::readFile(userStatus)), "-3.006");
    EXPECT_EQ(velt::test::readFile(real), earlier);
    EXPECT_TRUE(workFiles(real).empty());
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
        EXPECT_TRUE(workFiles(c.target).empty());
    }
}

}  // namespace
}  // namespace velt::engine::test
