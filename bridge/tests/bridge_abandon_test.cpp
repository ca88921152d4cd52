// Giving a run up (AbandonConvert) and the one-engine-per-exchange-folder rule, against fake
// engines: shell scripts that wait, ignore SIGTERM, are stopped, or have ended without a word.
#include <signal.h>

#include "bridge_fixture.h"
#include "platform/process/process.h"
#include "platform/process/process_list.h"

namespace fs = std::filesystem;
using velt::test::BridgeTest;
using velt::test::processState;
using velt::test::readFile;
using velt::test::shellQuote;
using velt::test::waitFor;
using velt::test::writeFile;

namespace {

class Abandon : public BridgeTest {
  protected:
    fs::path pidFile() const { return system_ / "engine.pid"; }

    // A fake engine that notes its id once `setup` has run, then does `rest`.
    void installNotingEngine(const std::string& setup, const std::string& rest) {
        fs::remove(pidFile());
        installFakeEngine(setup + "\necho $$ > " + shellQuote(pidFile().string() + ".part") +
                          "; mv " + shellQuote(pidFile().string() + ".part") + " " +
                          shellQuote(pidFile().string()) + "\n" + rest);
    }
    pid_t notedEngine() {
        EXPECT_TRUE(waitFor([&] { return fs::exists(pidFile()); }));
        return fs::exists(pidFile()) ? std::stoi(readFile(pidFile())) : 0;
    }
    // Shell text that loops until the test's folders go (at most 30 s).
    std::string idle() const {
        return "i=0; while [ -d " + shellQuote(system_.string()) +
               " ] && [ $i -lt 3000 ]; do sleep 0.01; i=$((i+1)); done";
    }
};

}  // namespace

TEST_F(Abandon, EndsTheEngineWhateverItDoesAndLeavesTheBridgeIdle) {
    struct Case {
        const char* name;
        std::string setup;
        bool stop;        // SIGSTOP the engine first (a hung engine)
        bool endsAtOnce;  // the engine ends by itself, without a final line
    };
    const Case cases[] = {
        {"waiting", "", false, false},
        {"ignores SIGTERM", "trap '' TERM", false, false},
        {"stopped", "", true, false},
        {"stopped and ignores SIGTERM", "trap '' TERM", true, false},
        {"ended without a final line", "", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        installNotingEngine(c.setup, c.endsAtOnce ? "exit 0" : idle());
        ASSERT_EQ(BeginConvert("project.vpr"), 0);
        pid_t engine = notedEngine();
        ASSERT_GT(engine, 0);
        if (c.stop) {
            kill(engine, SIGSTOP);
            ASSERT_TRUE(waitFor([&] { return processState(engine) == 'T'; }));
        }
        if (c.endsAtOnce) {
            ASSERT_TRUE(waitFor([&] { return processState(engine) == 'Z'; }));
        }
        writeFile(statusFile(), "12.000 60 64 8 0 120 -1 0 0 0 0 64 440 N/C");
        ASSERT_EQ(CancelConvert(), 0);

        EXPECT_EQ(AbandonConvert(), 0);
        EXPECT_EQ(processState(engine), 0) << "ended and collected";
        EXPECT_FALSE(fs::exists(statusFile()));
        EXPECT_FALSE(fs::exists(commandFile()));
        ConvertStatus record{};
        EXPECT_EQ(GetStatus(&record), 1);
        EXPECT_EQ(AbandonConvert(), 1) << "nothing left to give up";
    }
    // A later run starts as usual.
    installNotingEngine("", idle());
    EXPECT_EQ(BeginConvert("project.vpr"), 0);
}

TEST_F(Abandon, ALeftoverEngineOnTheSameExchangeFilesIsEndedBeforeTheStart) {
    // As another copy of the program (or one that was killed) would have left it.
    installNotingEngine("trap '' TERM", idle());
    fs::create_directories(exchangeFolder());
    fs::path engine = system_ / "kvxvtpd64";
    std::optional<pid_t> leftover = velt::platform::startDetached(
        engine, {engine.string(), "old.vpr", statusFile().string(), commandFile().string()});
    ASSERT_TRUE(leftover);
    ASSERT_EQ(notedEngine(), *leftover);
    // A program that merely names the status file is no engine and is left alone.
    std::optional<pid_t> reader = velt::platform::startDetached(
        "/bin/sh", {"sh", "-c", idle(), "reader", statusFile().string(), "other"});
    ASSERT_TRUE(reader);
    ASSERT_TRUE(waitFor([&] {
        return !velt::platform::processesWithArguments(statusFile().string(), "other").empty();
    }));

    installNotingEngine("", idle());
    ASSERT_EQ(BeginConvert("new.vpr"), 0);
    EXPECT_EQ(processState(*leftover), 0) << "ended (killed: it ignores SIGTERM) and collected";
    pid_t current = notedEngine();
    // One engine on the exchange files (the shell's own short-lived forks carry its arguments
    // until they start their command, so the check waits for a moment without one).
    EXPECT_TRUE(waitFor([&] {
        return velt::platform::processesWithArguments(
                   statusFile().string(), commandFile().string()) == std::vector<pid_t>{current};
    }));
    EXPECT_NE(processState(*reader), 0);
    EXPECT_TRUE(velt::platform::terminate(*reader, std::chrono::milliseconds(1000)));
}
