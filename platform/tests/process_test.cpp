#include "platform/process/process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/process/process_list.h"
#include "test_support.h"

namespace fs = std::filesystem;
using velt::platform::isAlive;
using velt::platform::processesWithArguments;
using velt::platform::startDetached;
using velt::platform::terminate;
using velt::test::TempDir;

namespace {

bool waitFor(const std::function<bool()>& condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The state letter of a process in /proc ('R', 'S', 'Z', ...), or 0 when it is gone.
char processState(pid_t pid) {
    const std::string text = velt::platform::readProcFile("/proc/" + std::to_string(pid) + "/stat");
    size_t end = text.rfind(')');
    return end == std::string::npos || end + 2 >= text.size() ? 0 : text[end + 2];
}

}  // namespace

TEST(StartDetached, PassesArgumentsAsTheyAreInANewSessionWithoutTheCallersFiles) {
    TempDir dir;
    fs::path report = dir / "report";
    int inherited = open("/dev/null", O_RDONLY);  // deliberately without close-on-exec
    ASSERT_GE(inherited, 3);
    std::string script =
        "in=$(readlink /proc/$$/fd/0) out=$(readlink /proc/$$/fd/1);"
        "{ for a in \"$0\" \"$@\"; do echo \"[$a]\"; done;"
        "  echo sid=$(cut -d' ' -f6 /proc/$$/stat) pid=$$;"
        "  echo in=$in out=$out;"
        "  test -e /proc/$$/fd/" +
        std::to_string(inherited) +
        " && echo leaked;"
        "  echo end; } > " +
        velt::test::shellQuote(report.string()) +
        ".part;"
        "mv " +
        velt::test::shellQuote(report.string()) + ".part " +
        velt::test::shellQuote(report.string());
    std::optional<pid_t> pid =
        startDetached("/bin/sh", {"sh", "-c", script, "name", "two words", "\"quoted\"", ""});
    close(inherited);
    ASSERT_TRUE(pid);
    ASSERT_TRUE(waitFor([&] { return fs::exists(report); }));
    EXPECT_EQ(velt::test::readFile(report),
              "[name]\n[two words]\n[\"quoted\"]\n[]\n"
              "sid=" +
                  std::to_string(*pid) + " pid=" + std::to_string(*pid) +
                  "\n"
                  "in=/dev/null out=/dev/null\nend\n");
    EXPECT_TRUE(waitFor([&] { return !isAlive(*pid); }));
}

TEST(StartDetached, ReportsAProgramThatCannotStart) {
    TempDir dir;
    fs::path notExecutable = dir / "plain";
    velt::test::writeFile(notExecutable, "#!/bin/sh\n");
    for (const fs::path& program : {dir / "missing", notExecutable, dir.path()}) {
        SCOPED_TRACE(program);
        std::string problem;
        EXPECT_EQ(startDetached(program, {program.string()}, &problem), std::nullopt);
        EXPECT_NE(problem.find(program.string()), std::string::npos) << problem;
    }
}

TEST(IsAlive, TellsARunningChildFromAnEndedOneAndCollectsTheEnded) {
    std::optional<pid_t> sleeper = startDetached("/bin/sleep", {"sleep", "30"});
    std::optional<pid_t> quick = startDetached("/bin/true", {"true"});
    ASSERT_TRUE(sleeper && quick);
    EXPECT_TRUE(isAlive(*sleeper));

    // An ended child that nobody has collected is a zombie: it still answers kill(pid, 0).
    ASSERT_TRUE(waitFor([&] { return processState(*quick) == 'Z'; }));
    EXPECT_FALSE(isAlive(*quick));
    EXPECT_EQ(processState(*quick), 0) << "the zombie was collected";

    kill(*sleeper, SIGKILL);
    EXPECT_TRUE(waitFor([&] { return !isAlive(*sleeper); }));
}

TEST(IsAlive, AsksTheKernelAboutProcessesThatAreNotOurChildren) {
    EXPECT_TRUE(isAlive(getppid()));
    EXPECT_FALSE(isAlive(0));
    EXPECT_FALSE(isAlive(-1));
}

TEST(Terminate, EndsChildrenThatObeyIgnoreOrAreStoppedAndCollectsThem) {
    using namespace std::chrono_literals;
    const std::string loop = "i=0; while [ $i -lt 600 ]; do sleep 0.05; i=$((i+1)); done";
    struct Case {
        const char* name;
        std::string setup;  // runs before the script says it is ready
        bool stop;          // SIGSTOP before the terminate
    };
    const Case cases[] = {
        {"obeys", "", false},
        {"ignores SIGTERM", "trap '' TERM", false},
        {"stopped", "", true},
        {"stopped and ignores SIGTERM", "trap '' TERM", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path ready = dir / "ready";
        std::optional<pid_t> pid =
            startDetached("/bin/sh", {"sh", "-c",
                                      (c.setup.empty() ? "" : c.setup + "; ") + ": > " +
                                          velt::test::shellQuote(ready.string()) + "; " + loop});
        ASSERT_TRUE(pid);
        ASSERT_TRUE(waitFor([&] { return fs::exists(ready); }));
        if (c.stop) {
            kill(*pid, SIGSTOP);
            ASSERT_TRUE(waitFor([&] { return processState(*pid) == 'T'; }));
        }
        EXPECT_TRUE(terminate(*pid, 300ms));
        EXPECT_EQ(processState(*pid), 0) << "gone and collected, no zombie";
    }
    EXPECT_FALSE(terminate(0, 10ms)) << "never the caller's process group";
    EXPECT_FALSE(terminate(-1, 10ms)) << "never every process";
}

TEST(Terminate, EndsAProcessOfTheUserThatIsNotAChildFoundByItsArguments) {
    TempDir dir;
    const std::string first = (dir / "first").string();
    const std::string second = (dir / "second").string();
    fs::path pidFile = dir / "pid";
    // A parent that starts a sleeper carrying the two arguments and leaves at once: the sleeper
    // is nobody's child of ours any more. The sleeper forks nothing, so no short-lived copy of it
    // ever carries the same arguments.
    std::optional<pid_t> parent = startDetached(
        "/bin/sh", {"sh", "-c",
                    "/usr/bin/python3 -c 'import time; time.sleep(30)' " +
                        velt::test::shellQuote(first) + " " + velt::test::shellQuote(second) +
                        " & echo $! > " + velt::test::shellQuote(pidFile.string() + ".part") +
                        "; mv " + velt::test::shellQuote(pidFile.string() + ".part") + " " +
                        velt::test::shellQuote(pidFile.string())});
    ASSERT_TRUE(parent);
    ASSERT_TRUE(waitFor([&] { return fs::exists(pidFile); }));
    ASSERT_TRUE(waitFor([&] { return !isAlive(*parent); }));
    const pid_t orphan = std::stoi(velt::test::readFile(pidFile));

    // The shell writes the pid right after the fork; on a loaded machine the copy may not have
    // become python yet, and until then it carries the shell's arguments.
    EXPECT_TRUE(waitFor([&] { return processesWithArguments(first, second).size() == 1; }));
    EXPECT_EQ(processesWithArguments(first, second), std::vector<pid_t>{orphan});
    EXPECT_TRUE(processesWithArguments(second, first).empty()) << "in that order only";
    EXPECT_TRUE(processesWithArguments(first, "").empty());
    EXPECT_TRUE(terminate(orphan, std::chrono::milliseconds(2000)));
    const char state = processState(orphan);
    EXPECT_TRUE(state == 0 || state == 'Z') << state;
    EXPECT_TRUE(processesWithArguments(first, second).empty() || state == 'Z');
}

TEST(Terminate, EndsAndCollectsAChildWhetherItObeysTermOrNot) {
    TempDir dir;
    const std::string ready = (dir / "ready").string();
    struct Case {
        const char* name;
        std::string script;
        bool waitsForReady;
    } cases[] = {
        {"obeys TERM", "exec sleep 30", false},
        // Ignores TERM: only the KILL after the grace period ends it.
        {"ignores TERM", "trap '' TERM; echo ready > \"$0\"; while :; do :; done", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<pid_t> pid = startDetached("/bin/sh", {"sh", "-c", c.script, ready});
        ASSERT_TRUE(pid);
        if (c.waitsForReady) {
            ASSERT_TRUE(waitFor([&] { return fs::exists(ready); }));
        }
        velt::platform::terminate(*pid, std::chrono::milliseconds(200));
        EXPECT_EQ(processState(*pid), 0) << "gone and collected";
        EXPECT_FALSE(isAlive(*pid));
    }
    // Nothing to do for an ended or invalid process.
    std::optional<pid_t> quick = startDetached("/bin/true", {"true"});
    ASSERT_TRUE(quick);
    ASSERT_TRUE(waitFor([&] { return processState(*quick) == 'Z'; }));
    velt::platform::terminate(*quick);
    EXPECT_EQ(processState(*quick), 0);
    velt::platform::terminate(0);
    velt::platform::terminate(-1);
}

// A bound child's standard output reaches the caller through the pipe it asked for, whole, and
// the pipe ends when the child does; without the request the output goes nowhere.
TEST(StartBoundChild, GivesTheChildsOutputToACallerThatAsks) {
    int output = -1;
    auto pid = velt::platform::startBoundChild(
        "/bin/sh", {"sh", "-c", "printf 'working\\n'; printf 'ERROR: no room\\n'; exit 1"}, SIGKILL,
        nullptr, &output);
    ASSERT_TRUE(pid);
    ASSERT_GE(output, 0);
    EXPECT_TRUE(fcntl(output, F_GETFD) & FD_CLOEXEC);
    int status = 0;
    ASSERT_EQ(waitpid(*pid, &status, 0), *pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    std::string said;
    char block[64];
    for (ssize_t got; (got = read(output, block, sizeof block)) > 0;) said.append(block, got);
    close(output);
    EXPECT_EQ(said, "working\nERROR: no room\n");

    // A program that can't start leaves no pipe behind.
    int none = -1;
    EXPECT_FALSE(velt::platform::startBoundChild("/nonexistent/program", {"program"}, SIGKILL,
                                                 nullptr, &none));
    EXPECT_EQ(none, -1);
}
