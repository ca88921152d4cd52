// The start of veltdesk: the command line rebuilt from the arguments and read, the refusal of a
// second running copy (two real processes), and a command-line conversion whose project can't be
// copied over the working project.
#include "desk/core/startup/start_up.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "desk/core/global.h"
#include "platform/folders/instance_lock.h"
#include "platform/process/process.h"
#include "scoped_env.h"
#include "test_support.h"
#include "veltdesk_process.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;

TEST(CommandLine, RebuiltFromTheArguments) {
    struct Case {
        std::vector<std::string> args;
        std::string line;
    } cases[] = {
        {{}, ""},
        {{"/home/u/song.vpr"}, "/home/u/song.vpr"},
        {{"/home/u/My Songs/a.vpr"}, "\"/home/u/My Songs/a.vpr\""},
        {{"/home/u/My", "Songs/a.vpr"}, "/home/u/My Songs/a.vpr"},
        {{"/prf=/x/My Song.vpr", "/log=/tmp/l.txt"}, "/prf=\"/x/My Song.vpr\" /log=/tmp/l.txt"},
        {{"/DIR=/opt/my prog"}, "/DIR=\"/opt/my prog\""},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildCommandLine(c.args), c.line);
}

TEST(CommandLine, SwitchesAndTheStartProject) {
    struct Case {
        std::string line;
        bool batch;
        std::string project;
        std::optional<std::string> installFolder, logFile;
    } cases[] = {
        {"", false, "", std::nullopt, std::nullopt},
        // Switch names in any case; values as written (Linux names are case-sensitive).
        {"/PRF=/Music/Song.vpr", true, "/Music/Song.vpr", std::nullopt, std::nullopt},
        {"/prf=\"/My Songs/Song.vpr\" /log=/tmp/Log.txt", true, "/My Songs/Song.vpr", std::nullopt,
         "/tmp/Log.txt"},
        {"/My Songs/A.vpr", false, "/My Songs/A.vpr", std::nullopt, std::nullopt},
        {"\"/My Songs/A.vpr\"", false, "/My Songs/A.vpr", std::nullopt, std::nullopt},
        {"/dir=/opt/Prog", false, "", "/opt/Prog/", std::nullopt},
        {"/dir=/opt/prog/ /home/a.vpr", false, "/home/a.vpr", "/opt/prog/", std::nullopt},
        {"/Dir=\"/opt/My Prog\" \"/home/My A.vpr\"", false, "/home/My A.vpr", "/opt/My Prog/",
         std::nullopt},
        {"/log=/tmp/x.log /home/a.vpr", false, "/home/a.vpr", std::nullopt, "/tmp/x.log"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CommandLineRequest r = ReadCommandLine(c.line);
        EXPECT_EQ(r.batchMode, c.batch);
        EXPECT_EQ(r.project, c.project);
        EXPECT_EQ(r.installFolder, c.installFolder);
        EXPECT_EQ(r.logFile, c.logFile);
    }
}

// A private environment for a veltdesk process: its own temp, config and home folders.
class Program : public ::testing::Test {
  protected:
    void SetUp() override {
        test::makePrivateFolder(dir / "run");
        fs::create_directories(dir / "home");
    }
    std::string run(const std::string& args) {
        auto result = test_process::runVeltdesk(dir.path(), args, /*keepSystemDir=*/true);
        exitCode = result.exitCode;
        return result.output;
    }
    test::TempDir dir;
    int exitCode = -1;
};

TEST_F(Program, ASecondCopyIsRefused) {
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", (dir / "run").string());
    auto first = platform::InstanceLock::acquire(kInstanceLockName);
    ASSERT_TRUE(first);
    const std::string refusal =
        "Veltrane Rizaduzede: Veltrane Rizaduzede is already running.  You can only run one "
        "instance of Veltrane Rizaduzede at a time.\n";
    // The main window and a command-line conversion alike; nothing else is said or written.
    for (std::string args : {std::string(), "/prf=" + (dir / "x.vpr").string()}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(run(args), refusal);
        EXPECT_EQ(exitCode, 1);
    }
    EXPECT_FALSE(fs::exists(dir / "cfg"));
}

TEST_F(Program, TwoProgramsRunOneAtATime) {
    // The first copy shows its main window (offscreen) and waits in its wizard.
    fs::create_directories(dir / "cfg" / "Veltrane Rizaduzede");
    test::writeFile(dir / "cfg" / "Veltrane Rizaduzede" / "settings.ini", "[Path]\nAS=1\n");
    fs::create_directories(dir / "nothing");
    pid_t first = 0;
    {
        test::ScopedEnv runtime("XDG_RUNTIME_DIR", (dir / "run").string());
        test::ScopedEnv config("XDG_CONFIG_HOME", (dir / "cfg").string());
        test::ScopedEnv home("HOME", (dir / "home").string());
        test::ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
        test::ScopedEnv path("PATH", (dir / "nothing").string());  // no browser, no tools
        auto pid = platform::startDetached(test::binDir() / "veltdesk", {"veltdesk"});
        ASSERT_TRUE(pid);
        first = *pid;
        // Wait until it holds the lock.
        for (int i = 0; i < 200; ++i) {
            if (!platform::InstanceLock::acquire(kInstanceLockName)) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    EXPECT_TRUE(platform::isAlive(first));
    EXPECT_EQ(run(""),
              "Veltrane Rizaduzede: Veltrane Rizaduzede is already running.  You can only run one "
              "instance of Veltrane Rizaduzede at a time.\n");
    EXPECT_EQ(exitCode, 1);
    kill(first, SIGKILL);
    for (int i = 0; i < 100 && platform::isAlive(first); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

TEST_F(Program, AProjectThatCantBeCopiedIsNeverConverted) {
    // A working project left by an earlier run must not be converted in place of the missing one.
    fs::create_directories(dir / "run" / "veltrane");
    test::writeFile(dir / "run" / "veltrane" / "~temp.vpr", "[audio]\nAudioFile=/old.wav\n");
    const std::string missing = (dir / "My Songs" / "Missing.vpr").string();
    const std::string log = (dir / "Log.txt").string();
    for (int run_ = 1; run_ <= 2; ++run_) {
        EXPECT_EQ(run("/PRF=" + test::shellQuote(missing) + " /log=" + test::shellQuote(log)), "");
        EXPECT_EQ(exitCode, 1);
    }
    EXPECT_FALSE(fs::exists(dir / "run" / "veltrane" / "~temp.vpr"));
    auto lines = test::splitLines(test::readFile(log));
    ASSERT_EQ(lines.size(), 2u);
    for (const auto& line : lines) {
        EXPECT_NE(line.find("  " + missing + "  Specified Project does not exist.  -3.008"),
                  std::string::npos)
            << line;
    }
}

}  // namespace
}  // namespace velt::desk
