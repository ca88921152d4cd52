// The bridge against fake engines: shell scripts that behave as the engine does, or fails to.
#include <dlfcn.h>
#include <signal.h>

#include <cstring>
#include <set>

#include "bridge_fixture.h"

namespace fs = std::filesystem;
using velt::test::BridgeTest;
using velt::test::processState;
using velt::test::readFile;
using velt::test::shellQuote;
using velt::test::waitFor;
using velt::test::writeFile;

namespace {

const char* const kFinalLine =
    "100000.000 48 84 -3 1 96.500000 2.000000 0.250000 1 4 0 64.000000 441.250000 Cmaj7add9";

}  // namespace

TEST(BridgeLibrary, ExportsExactlyItsEntryPoints) {
    fs::path library = velt::test::libDir() / "libkvxvtpd.so";
    velt::test::CommandResult symbols =
        velt::test::runCommand("nm -D --defined-only " + shellQuote(library.string()));
    ASSERT_EQ(symbols.exitCode, 0);
    std::set<std::string> exported;
    for (const std::string& line : velt::test::splitLines(symbols.output)) {
        std::string name = line.substr(line.rfind(' ') + 1);
        if (name != "_init" && name != "_fini") exported.insert(name);
    }
    EXPECT_EQ(exported, (std::set<std::string>{"AbandonConvert", "BeginConvert", "CancelConvert",
                                               "GetStatus", "SetPatch", "SetThreshold"}));

    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    for (const char* name : {"BeginConvert", "GetStatus", "CancelConvert", "SetThreshold",
                             "SetPatch", "AbandonConvert"})
        EXPECT_NE(dlsym(handle, name), nullptr) << name;
    dlclose(handle);
}

TEST_F(BridgeTest, StartsTheEngineDetachedAndReadsItsRunToTheEnd) {
    fs::path report = system_ / "report";
    installFakeEngine(
        "in=$(readlink /proc/$$/fd/0) out=$(readlink /proc/$$/fd/1)\n"
        "{ for a in \"$0\" \"$@\"; do echo \"[$a]\"; done;"
        "  echo pid=$$ sid=$(cut -d' ' -f6 /proc/$$/stat);"
        "  echo in=$in out=$out; } > " +
        shellQuote(report.string() + ".part") + "\nmv " + shellQuote(report.string() + ".part") +
        " " + shellQuote(report.string()) + "\n" + waitForGo() +
        "\nprintf '%s' '12.500 60 64 8 0 120.000000 -1.000000 0.000000 0 0 62 64.000000 440.000000 "
        "D' "
        "> \"$2\"\n" +
        waitForGo(2) + "\nprintf '%s' '" + kFinalLine + "' > \"$2\"");
    std::string project = (root_ / "my \"song\" project.vpr").string();

    ASSERT_EQ(BeginConvert(project.c_str()), 0);
    ConvertStatus record{};
    EXPECT_EQ(GetStatus(&record), 4) << "nothing written yet";
    EXPECT_EQ(BeginConvert(project.c_str()), 2) << "a run is already active";

    ASSERT_TRUE(waitFor([&] { return fs::exists(report); }));
    std::vector<std::string> lines = velt::test::splitLines(readFile(report));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "[" + (system_ / "kvxvtpd64").string() + "]");
    EXPECT_EQ(lines[1], "[" + project + "]");
    EXPECT_EQ(lines[2], "[" + statusFile().string() + "]");
    EXPECT_EQ(lines[3], "[" + commandFile().string() + "]");
    pid_t engine = std::stoi(lines[4].substr(4));
    EXPECT_EQ(lines[4], "pid=" + std::to_string(engine) + " sid=" + std::to_string(engine))
        << "the engine leads a session of its own";
    EXPECT_EQ(lines[5], "in=/dev/null out=/dev/null");

    letEngineGoOn();
    ASSERT_TRUE(waitFor([&] { return GetStatus(&record) == 0; }));
    EXPECT_FLOAT_EQ(record.status, 12.5f);
    EXPECT_EQ(record.noteKey, 62);
    EXPECT_STREQ(record.chord, "D");

    letEngineGoOn(2);
    std::vector<ConvertStatus> seen = pollUntilEnd();
    ASSERT_FALSE(seen.empty());
    const ConvertStatus& last = seen.back();
    EXPECT_FLOAT_EQ(last.status, 100000.0f);
    EXPECT_EQ(last.lowKey, 48);
    EXPECT_EQ(last.highKey, 84);
    EXPECT_EQ(last.keySig, -3);
    EXPECT_EQ(last.keyMode, 1);
    EXPECT_FLOAT_EQ(last.tempo, 96.5f);
    EXPECT_FLOAT_EQ(last.referencePitch, 441.25f);
    EXPECT_EQ(std::memcmp(last.chord, "Cmaj7", 6), 0) << "chord text bounded to 5 characters";

    EXPECT_FALSE(fs::exists(statusFile()));
    EXPECT_FALSE(fs::exists(commandFile()));
    EXPECT_EQ(GetStatus(&record), 1);
    EXPECT_EQ(CancelConvert(), 1);
    // The ended engine is collected by later calls, not left as a zombie.
    EXPECT_TRUE(waitFor([&] {
        GetStatus(&record);
        return processState(engine) == 0;  // gone and collected
    }));
}

TEST_F(BridgeTest, CallsBeforeAnyStartFindNoRun) {
    ConvertStatus record{};
    EXPECT_EQ(GetStatus(&record), 1);
    EXPECT_EQ(CancelConvert(), 1);
    EXPECT_EQ(SetThreshold(), 1);
    EXPECT_EQ(SetPatch(5), 1);
    EXPECT_FALSE(fs::exists(commandFile()));
}

TEST_F(BridgeTest, EachCommandReplacesTheCommandFileWhole) {
    installFakeEngine(waitForGo() +
                      "\nprintf '%s' '-1.000 128 -1 8 0 120 -1 0 0 0 0 64 440 N/C' > \"$2\"");
    ASSERT_EQ(BeginConvert("project.vpr"), 0);
    struct Case {
        const char* name;
        int (*send)();
        const char* text;
    };
    const Case cases[] = {
        {"patch -1", [] { return SetPatch(-1); }, "3 -1"},
        {"threshold", [] { return SetThreshold(); }, "2"},
        {"patch 127", [] { return SetPatch(127); }, "3 127"},
        {"cancel", [] { return CancelConvert(); }, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.send(), 0);
        EXPECT_EQ(readFile(commandFile()), c.text);
        EXPECT_EQ(std::distance(fs::directory_iterator(exchangeFolder()), fs::directory_iterator()),
                  1)
            << "no temporary sibling left behind";
    }
    letEngineGoOn();
    std::vector<ConvertStatus> seen = pollUntilEnd();
    ASSERT_FALSE(seen.empty());
    EXPECT_FLOAT_EQ(seen.back().status, -1.0f);
    EXPECT_EQ(BeginConvert("project.vpr"), 0) << "idle after the cancel's final line";
}

TEST_F(BridgeTest, ACommandThatCannotBeWrittenGivesFive) {
    installFakeEngine(waitForGo());
    ASSERT_EQ(BeginConvert("project.vpr"), 0);
    fs::create_directory(commandFile());  // nothing can be renamed over a folder
    EXPECT_EQ(CancelConvert(), 5);
    EXPECT_EQ(SetPatch(3), 5);
    EXPECT_EQ(std::distance(fs::directory_iterator(exchangeFolder()), fs::directory_iterator()), 1)
        << "no temporary sibling left behind";
    fs::remove(commandFile());
    EXPECT_EQ(CancelConvert(), 0);
}

TEST_F(BridgeTest, AnEngineThatCannotStartGivesThreeAndLeavesTheBridgeIdle) {
    struct Case {
        const char* name;
        void (*prepare)(const fs::path& system);
    };
    const Case cases[] = {
        {"missing", [](const fs::path&) {}},
        {"not executable",
         [](const fs::path& system) { writeFile(system / "kvxvtpd64", "#!/bin/sh\n"); }},
        {"a folder", [](const fs::path& system) { fs::create_directory(system / "kvxvtpd64"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(system_ / "kvxvtpd64");
        c.prepare(system_);
        EXPECT_EQ(BeginConvert("project.vpr"), 3);
        ConvertStatus record{};
        EXPECT_EQ(GetStatus(&record), 1);
    }
}

TEST_F(BridgeTest, AnUnsafeTempFolderGivesThree) {
    installFakeEngine("exit 0");
    velt::test::ScopedEnv noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    fs::create_directory_symlink(root_.path(), temp_ / ("veltrane-" + std::to_string(geteuid())));
    EXPECT_EQ(BeginConvert("project.vpr"), 3);
    EXPECT_FALSE(fs::exists(root_ / "~kvxstat.txt"));
}

TEST_F(BridgeTest, StaleExchangeFilesAreDeletedBeforeTheStart) {
    fs::create_directory(exchangeFolder());
    writeFile(statusFile(), kFinalLine);
    writeFile(commandFile(), "1");
    installFakeEngine(waitForGo());
    ASSERT_EQ(BeginConvert("project.vpr"), 0);
    EXPECT_FALSE(fs::exists(commandFile()));
    ConvertStatus record{};
    EXPECT_EQ(GetStatus(&record), 4) << "the old final line is not this run's";
}

TEST_F(BridgeTest, AnEngineThatStopsWithoutAFinalLineEndsTheRunWithMinusEight) {
    struct Case {
        const char* name;
        const char* engine;
        int lowKey;  // what the last status line said, or the record's own value
    };
    const Case cases[] = {
        {"exits without writing", "exit 0", -77},
        {"exits after a progress line",
         "printf '%s' '42.000 50 70 8 0 120.000000 -1.000000 0.000000 0 0 0 64.000000 440.000000 "
         "C' "
         "> \"$2\"",
         50},
        {"killed mid-run", "printf '%s' '42.000 55 70 8' > \"$2\"; kill -KILL $$", -77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        installFakeEngine(c.engine);
        ASSERT_EQ(BeginConvert("project.vpr"), 0);
        ConvertStatus record{};
        record.lowKey = -77;
        ASSERT_TRUE(waitFor([&] { return GetStatus(&record) == 0 && record.status < 0; }));
        EXPECT_FLOAT_EQ(record.status, -8.0f);
        EXPECT_EQ(record.lowKey, c.lowKey);
        EXPECT_FALSE(fs::exists(statusFile()));
        EXPECT_FALSE(fs::exists(commandFile()));
        EXPECT_EQ(GetStatus(&record), 1);
    }
}

TEST_F(BridgeTest, ATornLineGivesFourAndTheNextReadSucceeds) {
    installFakeEngine("printf '%s' '63.250 50 7' > \"$2\"\n" + waitForGo() + "\nprintf '%s' '" +
                      kFinalLine + "' > \"$2\"");
    ASSERT_EQ(BeginConvert("project.vpr"), 0);
    ASSERT_TRUE(waitFor([&] { return fs::exists(statusFile()); }));
    ConvertStatus record{};
    record.lowKey = -77;
    EXPECT_EQ(GetStatus(&record), 4);
    EXPECT_EQ(record.lowKey, -77) << "a torn line fills nothing";
    letEngineGoOn();
    std::vector<ConvertStatus> seen = pollUntilEnd();
    ASSERT_FALSE(seen.empty());
    EXPECT_FLOAT_EQ(seen.back().status, 100000.0f);
    EXPECT_EQ(seen.back().lowKey, 48);
}

TEST_F(BridgeTest, AnErrorOutcomeEndsTheRun) {
    installFakeEngine(
        "printf '%s' '-5.022 128 -1 8 0 120.000000 -1.000000 0.000000 0 0 0 64.000000 440.000000 "
        "N/C' "
        "> \"$2\"; sleep 0.3");
    ASSERT_EQ(BeginConvert("project.vpr"), 0);
    ConvertStatus record{};
    ASSERT_TRUE(waitFor([&] { return GetStatus(&record) == 0; }));
    EXPECT_EQ(record.status, -5.022f);
    EXPECT_EQ(GetStatus(&record), 1);
    EXPECT_EQ(SetThreshold(), 1);
    EXPECT_FALSE(fs::exists(statusFile()));
}
